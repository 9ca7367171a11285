// The level generator: rooms carved at random, treasures placed by pulling
// them away from their banks as far as they will go, every level proven by
// the solver and played through the game before it is kept.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/authoring/solver.h"

struct Game_state;

struct Generate_options {
    int rows = 9; // the room with its walls, at most LEVEL_ROWS x LEVEL_COLS
    int cols = 11;
    int treasures = 3;
    uint64_t seed = 1;
    int candidates = 24;         // rooms tried per level; the hardest is kept
    uint64_t pull_limit = 40000; // positions the backward search may visit per room
    size_t pull_beam = 200;      // positions of each backward layer that go on
    int min_pushes = 0;          // candidates whose optimum lies outside are dropped
    int max_pushes = 1 << 16;
    double solve_seconds = 0;        // the solver's time limit per candidate; 0 keeps runs repeatable
    uint64_t solve_states = 3000000; // the solver's limit in stored positions
    bool fewest_moves = true;        // also find the move-optimal length (slow with many treasures)
    // Called after every candidate room: levels made, rooms tried so far.
    std::function<void(int levels, int rooms)> progress;
};

struct Generated_level {
    std::vector<std::string> rows; // LEVEL_ROWS rows of LEVEL_COLS, the room centred
    Solve_result solution;         // push-optimal, fewest steps among those
    int fewest_moves = 0;          // the move-optimal solution's length; 0 when not known
    int difficulty = 0;
    uint64_t search_states = 0; // positions the push-optimal search expanded
};

// The difficulty score: optimal pushes, plus one for every change of the
// treasure pushed, four for every push beyond the straight-line bound (the
// detours the player must see), and three for every doubling of the
// positions the solver had to expand. Higher is harder.
int difficulty_score(const Solve_result& solution);

// Generates `count` levels. `judge` plays each solution through the game;
// a level it does not accept is dropped. Deterministic for a seed. Returns
// fewer levels than asked only when the room is too small to hold them.
std::vector<Generated_level> generate_levels(Game_state& judge, const Generate_options& options, int count);

// Walls up the floor a solution never walks or pushes over, sparing a cell
// whose mirror image is used where the walls are mirrored, so the room keeps
// its symmetry; then only the largest floor area stays.
void wall_up_unused(std::vector<std::string>& rows, const std::string& moves);

// Grows a level's floor-only rows to the full board, walls closed round the
// room, centred; drops walls that touch no floor. Used for hand-made levels.
std::vector<std::string> finish_layout(const std::vector<std::string>& rows);

// The eight turns and mirror images of a layout, trimmed; the smallest is
// the level's shape, equal for levels that are the same up to symmetry.
std::string canonical_shape(const std::vector<std::string>& rows);
