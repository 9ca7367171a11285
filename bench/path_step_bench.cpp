// One breadth-first step of a mouse walk, as every 50 ms walk tick takes it,
// on an open board and on a maze, with the pointer in the far corner.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/click_to_move.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/move_rules.h"
#include "shell/platform_offscreen.h"

namespace
{

using Layout = std::vector<std::string>;

Layout open_board()
{
    Layout rows(LEVEL_ROWS, std::string(LEVEL_COLS, '-'));
    for (int c = 0; c < LEVEL_COLS; ++c)
        rows[0][c] = rows[LEVEL_ROWS - 1][c] = '#';
    for (int r = 0; r < LEVEL_ROWS; ++r)
        rows[r][0] = rows[r][LEVEL_COLS - 1] = '#';
    rows[1][1] = '@';
    return rows;
}

// A perfect maze carved by a depth-first walk over the odd cells, so the one
// path to the far corner winds through most of the board.
Layout maze_board()
{
    Layout rows(LEVEL_ROWS, std::string(LEVEL_COLS, '#'));
    const int cell_cols = (LEVEL_COLS - 1) / 2, cell_rows = (LEVEL_ROWS - 1) / 2;
    std::vector<bool> seen(static_cast<size_t>(cell_cols * cell_rows), false);
    std::mt19937 random(1234);
    std::vector<std::pair<int, int>> stack{{0, 0}};
    seen[0] = true;
    rows[1][1] = '-';
    const int dx[4] = {0, 0, -1, 1}, dy[4] = {-1, 1, 0, 0};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        std::vector<int> open;
        for (int d = 0; d < 4; ++d) {
            int nx = x + dx[d], ny = y + dy[d];
            if (nx >= 0 && ny >= 0 && nx < cell_cols && ny < cell_rows &&
                !seen[static_cast<size_t>(ny * cell_cols + nx)])
                open.push_back(d);
        }
        if (open.empty()) {
            stack.pop_back();
            continue;
        }
        int d = open[random() % open.size()];
        int nx = x + dx[d], ny = y + dy[d];
        seen[static_cast<size_t>(ny * cell_cols + nx)] = true;
        rows[2 * y + 1 + dy[d]][2 * x + 1 + dx[d]] = '-';
        rows[2 * ny + 1][2 * nx + 1] = '-';
        stack.emplace_back(nx, ny);
    }
    rows[1][1] = '@';
    return rows;
}

void load(Game_state& state, const Layout& rows)
{
    Level_info level;
    std::memset(level.layout, '#', sizeof level.layout);
    for (int r = 0; r < LEVEL_ROWS; ++r)
        for (int c = 0; c < LEVEL_COLS; ++c)
            level.layout[r][c] = rows[r][c];
    level.start_x = 1;
    level.start_y = 1;
    build_pack_board(state, level);
    reset_board(state, false);
    state.mode = MODE_PLAY;
}

// The free cell farthest down and right: where the pointer rests.
Cell_pos far_corner(const Layout& rows)
{
    for (int r = LEVEL_ROWS - 1; r >= 0; --r)
        for (int c = LEVEL_COLS - 1; c >= 0; --c)
            if (rows[r][c] == '-') return make_cell_pos(c, r);
    return make_cell_pos(0, 0);
}

template <int (*Step)(const Game_state&, Cell_pos, Cell_pos)> void run(benchmark::State& bench, const Layout& rows)
{
    offscreen_reset();
    offscreen().recording = false;
    static Game_state state;
    load(state, rows);
    const Cell_pos target = far_corner(rows), player = player_pos(state.play_board);
    for (auto _ : bench)
        benchmark::DoNotOptimize(Step(state, target, player));
    if (Step(state, target, player) == STEP_NONE) bench.SkipWithError("the far corner is not reachable");
}

void BM_path_step_open(benchmark::State& s)
{
    run<path_step>(s, open_board());
}
void BM_path_step_maze(benchmark::State& s)
{
    run<path_step>(s, maze_board());
}
void BM_path_step_scan_open(benchmark::State& s)
{
    run<path_step_scan>(s, open_board());
}
void BM_path_step_scan_maze(benchmark::State& s)
{
    run<path_step_scan>(s, maze_board());
}

} // namespace

BENCHMARK(BM_path_step_open);
BENCHMARK(BM_path_step_maze);
BENCHMARK(BM_path_step_scan_open);
BENCHMARK(BM_path_step_scan_maze);
