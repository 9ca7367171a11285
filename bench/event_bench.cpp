// handle_event throughput: arrow-key steps, and pushes with their undo, on a
// full 16 x 20 board, with the platform layer reduced to a no-op sink.
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/move_rules.h"
#include "shell/platform_offscreen.h"

namespace
{

void open_board(Game_state& state)
{
    offscreen_reset(1);
    offscreen().recording = false;
    Level_info level;
    std::memset(level.layout, '-', sizeof level.layout);
    for (int c = 0; c < LEVEL_COLS; ++c)
        level.layout[0][c] = level.layout[LEVEL_ROWS - 1][c] = '#';
    for (int r = 0; r < LEVEL_ROWS; ++r)
        level.layout[r][0] = level.layout[r][LEVEL_COLS - 1] = '#';
    level.layout[8][5] = '@';
    level.layout[8][6] = '$';
    level.layout[3][3] = '.';
    level.start_x = 5;
    level.start_y = 8;
    level.num_treasures = level.loose_treasures = 1;
    state.tile_info.width = 16;
    state.tile_info.height = 12;
    build_pack_board(state, level);
    reset_board(state, false);
    state.mode = MODE_PLAY;
}

// Hands the same two events to handle_event over and over.
void alternate(benchmark::State& bench, int32_t first, int32_t second)
{
    Game_state state;
    open_board(state);
    const Game_event a{EVENT_KEY, first, 0, 0, 0};
    const Game_event b{EVENT_KEY, second, 0, 0, 0};
    for (auto _ : bench) {
        handle_event(state, a);
        handle_event(state, b);
    }
    bench.SetItemsProcessed(bench.iterations() * 2);
}

void BM_ArrowSteps(benchmark::State& bench)
{
    alternate(bench, CODE_UP, CODE_DOWN);
}
BENCHMARK(BM_ArrowSteps);

void BM_PushAndUndo(benchmark::State& bench)
{
    alternate(bench, CODE_RIGHT, CODE_U);
}
BENCHMARK(BM_PushAndUndo);

} // namespace
