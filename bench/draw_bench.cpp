// Drawing into the off-screen framebuffer at magnification 4: a whole board
// of 320 cells, one cell, and a plain memcpy of as many output bytes as the
// whole board writes, for comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/game_state.h"
#include "presentation/palette.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/tool_game.h"

namespace
{

struct Draw_bench_game {
    Tool_game game;
    Field_info board{};
    bool ready = false;

    Draw_bench_game()
    {
        game.state.magnify = 4;
        if (open_tool_game(game) != 0) return;
        create_game_palette(game.state);
        read_board_record(game.state, board, BOARD_BLANK);
        // Every cell a different tile, so that reads go all over the images.
        for (int i = 0; i < FIELD_MAX_CELLS; ++i)
            board.cells[i].tile = static_cast<uint16_t>(i % game.state.tile_table.size());
        offscreen().recording = false;
        ready = true;
    }
};

Draw_bench_game& bench_game()
{
    static Draw_bench_game g;
    return g;
}

void BM_DrawBoardMagnify4(benchmark::State& st)
{
    Draw_bench_game& g = bench_game();
    if (!g.ready) {
        st.SkipWithError("no game");
        return;
    }
    for (auto _ : st) {
        draw_board(g.game.state, g.board, false);
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(st.iterations() * int64_t{offscreen().width} * offscreen().height * 4);
}
BENCHMARK(BM_DrawBoardMagnify4)->Unit(benchmark::kMicrosecond);

void BM_DrawCellMagnify4(benchmark::State& st)
{
    Draw_bench_game& g = bench_game();
    if (!g.ready) {
        st.SkipWithError("no game");
        return;
    }
    int i = 0;
    for (auto _ : st) {
        draw_cell(g.game.state, make_cell_pos(i % 20, (i / 20) % 16), g.board.cells[i % FIELD_MAX_CELLS].tile);
        ++i;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawCellMagnify4)->Unit(benchmark::kNanosecond);

// The same number of output bytes as one whole board at magnification 4.
void BM_MemcpyBoardBytes(benchmark::State& st)
{
    size_t bytes = size_t{1280} * 768 * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : st) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyBoardBytes)->Unit(benchmark::kMicrosecond);

} // namespace
