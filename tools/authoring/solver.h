// The level author's solver: finds push-optimal (or move-optimal) solutions
// of a level as the game builds it, or proves that there is none.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/field.h"

struct Level_info;

// A level reduced to what the search needs. Cells are indexed as on the
// board: row * LEVEL_COLS + column. A layout space is a wall here, as is
// everything off the grid.
struct Puzzle {
    bool wall[FIELD_MAX_CELLS] = {};
    bool bank[FIELD_MAX_CELLS] = {};
    std::vector<int> treasures; // cell indices, ascending
    int player = 0;
};

// Fills `puzzle` from a level's layout. Returns 0, or -1 with a reason in
// `error` when the level cannot be played at all (no start on a floor cell).
int puzzle_from_level(const Level_info& level, Puzzle& puzzle, std::string* error = nullptr);
// The same from rows in the layout legend (tests and the generator).
int puzzle_from_rows(const std::vector<std::string>& rows, Puzzle& puzzle, std::string* error = nullptr);

// Fewest pushes; fewest steps; fewest steps among the fewest pushes; or any
// solution, found fast by a best-first search that weighs progress.
enum Solve_goal { SOLVE_PUSHES, SOLVE_MOVES, SOLVE_PUSHES_THEN_MOVES, SOLVE_ANY };
// The values are the solve command's exit codes. SOLVE_UNPROVEN: an optimal
// search reached a limit after a solution was found; it is not known to be
// the best.
enum Solve_status { SOLVE_FOUND = 0, SOLVE_NONE = 1, SOLVE_GAVE_UP = 2, SOLVE_UNPROVEN = 3 };

// What a long search reports while it runs.
struct Solve_progress {
    uint64_t expanded = 0; // positions taken from the open list
    uint64_t stored = 0;   // positions in the closed set
    int bound = 0;         // the lowest cost any solution can still have
    double seconds = 0;
    uint64_t bytes = 0; // memory held by the search
};

struct Solve_options {
    Solve_goal goal = SOLVE_PUSHES;
    double time_limit_seconds = 0; // 0: none
    uint64_t max_states = 0;       // stored positions before giving up; 0: no count
    // The search gives up before its tables pass this; 1 GB leaves room in a
    // 32-bit process for the rest of the program and for the table's growth.
    uint64_t max_bytes = 1000000000;
    // Called about every `progress_seconds` while the search runs.
    std::function<void(const Solve_progress&)> progress;
    double progress_seconds = 0.5;
    // An optimal search first looks for any solution with this share of the
    // limits; its cost then bounds the optimal search. 0: straight to A*.
    double any_first_share = 0.25;
    // A known solution's cost in the goal's measure: positions that cannot
    // beat it are not stored. 0: none known.
    int upper_bound = 0;
    // Pruning by corrals the player cannot enter (tests turn it off to show
    // what it alone decides).
    bool corrals = true;
};

struct Solve_result {
    Solve_status status = SOLVE_NONE;
    std::string moves; // <>^v, one character per step
    int pushes = 0;
    int move_count = 0;
    int treasure_changes = 0;  // how often the solution turns to a different treasure
    int lower_bound = 0;       // the matching bound at the start: pushes no solution can do without
    uint64_t corral_cuts = 0;  // expansions whose pushes a corral narrowed or ended
    uint64_t pattern_cuts = 0; // pushes into a dead corral learned earlier in the search
    uint64_t expanded = 0;     // positions taken from the open list
    uint64_t generated = 0;    // positions made by a push and judged (pruned, found again or stored)
    uint64_t stored = 0;       // positions in the closed set, over all the searches run
    uint64_t bytes = 0;        // memory the search held at the end
    double seconds = 0;
};

Solve_result solve_puzzle(const Puzzle& puzzle, const Solve_options& options = {});

// Cells from which no treasure can ever reach a bank, whatever the others do.
std::vector<bool> dead_cells(const Puzzle& puzzle);
