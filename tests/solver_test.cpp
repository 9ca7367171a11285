#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "files/pack_records.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/solver.h"
#include "tools/authoring/tool_game.h"

namespace
{

class Solver : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }

    // Solves, and plays whatever was found through the game.
    Solve_result solve(const std::vector<std::string>& rows, Solve_options options = {})
    {
        Puzzle puzzle;
        std::string error;
        EXPECT_EQ(puzzle_from_rows(rows, puzzle, &error), 0) << error;
        Solve_result r = solve_puzzle(puzzle, options);
        if (r.status == SOLVE_FOUND) {
            auto pack = pack_of_level(Authored_level{"test", rows, "", {}, {}});
            EXPECT_TRUE(pack);
            Replay_outcome replay = replay_solution(game.state, *pack->levels, r.moves);
            EXPECT_TRUE(replay.solved) << replay.problem << " moves " << r.moves;
            EXPECT_EQ(replay.pushes, r.pushes);
            EXPECT_EQ(replay.moves, r.move_count);
        }
        return r;
    }
    Tool_game game;
};

struct Worked_case {
    const char* what;
    std::vector<std::string> rows;
    Solve_goal goal;
    Solve_status status;
    int pushes; // -1: not checked
    int moves;
};

// Each unsolvable case is caught by one rule of the search, and must be
// proven without a long search.
const Worked_case WORKED[] = {
    {"straight corridor", {"#######", "#@-$-.#", "#######"}, SOLVE_PUSHES, SOLVE_FOUND, 2, 3},
    {"two treasures, any order", {"########", "#@$-.--#", "#--$-.-#", "########"}, SOLVE_PUSHES, SOLVE_FOUND, 4, -1},
    {"upper treasure first walks least",
     {"########", "#@$-.--#", "#--$-.-#", "########"},
     SOLVE_MOVES,
     SOLVE_FOUND,
     4,
     6},
    {"fewest steps among fewest pushes",
     {"########", "#@$-.--#", "#--$-.-#", "########"},
     SOLVE_PUSHES_THEN_MOVES,
     SOLVE_FOUND,
     4,
     6},
    {"right, then round to push down",
     {"#######", "#@----#", "#-$---#", "#-----#", "#---.-#", "#######"},
     SOLVE_MOVES,
     SOLVE_FOUND,
     4,
     7},
    {"a banked start still needs a push", {"######", "#@*.-#", "######"}, SOLVE_PUSHES, SOLVE_FOUND, 1, 1},
    {"the long way round a freezing push",
     {"########", "#--#---#", "#-$--$-#", "#.-@-.-#", "########"},
     SOLVE_PUSHES,
     SOLVE_FOUND,
     -1,
     -1},
    {"banked and walled in", {"####", "#@*#", "####"}, SOLVE_PUSHES, SOLVE_NONE, 0, 0},
    {"dead cell: a corner", {"#####", "#$-.#", "#-@-#", "#####"}, SOLVE_PUSHES, SOLVE_NONE, 0, 0},
    {"dead cell: along a wall with no bank",
     {"#######", "#--$--#", "#-----#", "#-@--.#", "#######"},
     SOLVE_PUSHES,
     SOLVE_NONE,
     0,
     0},
    {"freeze: a pair holding each other",
     {"#########", "#---#---#", "#---$$--#", "#-@--#--#", "#.----.-#", "#########"},
     SOLVE_PUSHES,
     SOLVE_NONE,
     0,
     0},
    {"no assignment: two treasures, one reachable bank",
     {"#########", "#.--$-$@#", "#-------#", "###-#####", "###--.###", "#########"},
     SOLVE_PUSHES,
     SOLVE_NONE,
     0,
     0},
    {"more treasures than banks",
     {"#######", "#-----#", "#-$$@.#", "#-----#", "#######"},
     SOLVE_PUSHES,
     SOLVE_NONE,
     0,
     0},
    {"no treasure: no push can ever happen", {"#####", "#@-.#", "#####"}, SOLVE_PUSHES, SOLVE_NONE, 0, 0},
};

TEST_F(Solver, WorkedCasesAndOneUnsolvableCasePerRule)
{
    for (const Worked_case& c : WORKED) {
        SCOPED_TRACE(c.what);
        Solve_options options;
        options.goal = c.goal;
        options.max_states = 20000;
        Solve_result r = solve(c.rows, options);
        EXPECT_EQ(r.status, c.status);
        if (c.status == SOLVE_NONE) {
            EXPECT_LT(r.expanded, 200u);
        }
        if (c.pushes >= 0 && c.status == SOLVE_FOUND) {
            EXPECT_EQ(r.pushes, c.pushes);
        }
        if (c.moves >= 0 && c.status == SOLVE_FOUND) {
            EXPECT_EQ(r.move_count, c.moves);
        }
    }
}

TEST_F(Solver, DeadCellsAreCornersAndWallRunsWithoutBanks)
{
    Puzzle p;
    ASSERT_EQ(puzzle_from_rows({"######", "#@---#", "#-$-.#", "#----#", "######"}, p), 0);
    std::vector<bool> dead = dead_cells(p);
    const std::pair<int, bool> cells[] = {{1 * LEVEL_COLS + 1, true},  {3 * LEVEL_COLS + 2, true},
                                          {2 * LEVEL_COLS + 2, false}, {1 * LEVEL_COLS + 4, true},
                                          {1 * LEVEL_COLS + 3, true},  {2 * LEVEL_COLS + 4, false}};
    for (auto [cell, expected] : cells)
        EXPECT_EQ(dead[cell], expected) << "cell " << cell;
}

TEST_F(Solver, GivesUpAtItsLimitsAndRefusesLevelsWithoutOneStart)
{
    Puzzle p;
    ASSERT_EQ(puzzle_from_rows({"##########", "#@-------#", "#-$-$-$--#", "#--------#", "#-.-.-.--#", "##########"}, p),
              0);
    Solve_options by_states, by_memory;
    by_states.max_states = 5;
    by_memory.max_bytes = 1;
    EXPECT_EQ(solve_puzzle(p, by_states).status, SOLVE_GAVE_UP);
    EXPECT_EQ(solve_puzzle(p, by_memory).status, SOLVE_GAVE_UP);
    EXPECT_EQ(solve_puzzle(p).status, SOLVE_FOUND);

    std::string error;
    EXPECT_EQ(puzzle_from_rows({"#####", "#-$.#", "#####"}, p, &error), -1);
    EXPECT_FALSE(error.empty());
    // A second start would be a pushable figure in the game, not a player.
    EXPECT_EQ(puzzle_from_rows({"######", "#@$.@#", "######"}, p, &error), -1);
}

// Fewest pushes (or, counting steps, fewest moves) by plain breadth-first
// search over single steps, with no pruning at all: -1 when nothing solves
// the level, -2 when the level is too big to settle.
int fewest_by_brute_force(const std::vector<std::string>& rows, bool count_steps)
{
    const int R = static_cast<int>(rows.size()), C = static_cast<int>(rows[0].size());
    auto open = [&](int r, int c) {
        return r >= 0 && c >= 0 && r < R && c < C && rows[r][c] != '#' && rows[r][c] != ' ';
    };
    std::string start(R * C + 1, '-');
    for (int r = 0; r < R; ++r)
        for (int c = 0; c < C; ++c) {
            char ch = rows[r][c];
            if (ch == '$' || ch == '*') start[r * C + c] = '$';
            if (ch == '@' || ch == '+') start[R * C] = static_cast<char>(r * C + c);
        }
    auto solved = [&](const std::string& s) {
        for (int i = 0; i < R * C; ++i)
            if (s[i] == '$' && std::string(".*+").find(rows[i / C][i % C]) == std::string::npos) return false;
        return true;
    };
    std::map<std::string, int> seen;
    std::deque<std::pair<std::string, int>> queue{{start, 0}};
    int best = -1;
    const int dr[4] = {-1, 1, 0, 0}, dc[4] = {0, 0, -1, 1};
    while (!queue.empty()) {
        auto [s, pushes] = queue.front();
        queue.pop_front();
        if (best >= 0 && pushes >= best) break;
        auto it = seen.find(s);
        if (it != seen.end() && it->second <= pushes) continue;
        seen[s] = pushes;
        if (seen.size() > 20000) return -2;
        int p = static_cast<unsigned char>(s[R * C]), r = p / C, c = p % C;
        for (int d = 0; d < 4; ++d) {
            int r1 = r + dr[d], c1 = c + dc[d];
            if (!open(r1, c1)) continue;
            std::string t = s;
            t[R * C] = static_cast<char>(r1 * C + c1);
            if (s[r1 * C + c1] != '$') {
                if (count_steps)
                    queue.emplace_back(t, pushes + 1);
                else
                    queue.emplace_front(t, pushes);
                continue;
            }
            int r2 = r1 + dr[d], c2 = c1 + dc[d];
            if (!open(r2, c2) || s[r2 * C + c2] == '$') continue;
            t[r1 * C + c1] = '-';
            t[r2 * C + c2] = '$';
            if (solved(t) && (best < 0 || pushes + 1 < best)) best = pushes + 1;
            queue.emplace_back(t, pushes + 1);
        }
    }
    return best;
}

// The pruning (dead cells, freezes, the assignment bound, the normalised
// player) must never lose a solution nor an optimal one: small random rooms,
// some with open edges and spaces, against plain search; every solution found
// is also played through the game.
TEST_F(Solver, AgreesWithPlainSearchOnRandomSmallRooms)
{
    uint32_t seed = 777;
    auto next = [&seed](int n) {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFF) % n;
    };
    int compared = 0, solvable = 0;
    for (int round = 0; round < 160; ++round) {
        int rows = 5 + next(3), cols = 5 + next(4);
        const bool messy = round % 4 == 0;
        std::vector<std::string> layout(rows, std::string(cols, messy ? ' ' : '#'));
        for (int r = messy ? 0 : 1; r < rows - (messy ? 0 : 1); ++r)
            for (int c = messy ? 0 : 1; c < cols - (messy ? 0 : 1); ++c)
                layout[r][c] = next(8) == 0 ? "# "[next(2) * messy] : '-';
        int treasures = 1 + next(4), placed = 0;
        for (int tries = 0; tries < 40 && placed < 2 * treasures + 1; ++tries) {
            char& cell = layout[1 + next(rows - 2)][1 + next(cols - 2)];
            if (cell != '-') continue;
            cell = placed == 0 ? '@' : placed % 2 ? '$' : '.';
            ++placed;
        }
        if (placed < 3 || placed % 2 == 0) continue;
        int expected = fewest_by_brute_force(layout, false);
        int expected_moves = fewest_by_brute_force(layout, true);
        if (expected == -2 || expected_moves == -2) continue;
        SCOPED_TRACE(::testing::PrintToString(layout));
        ++compared;
        Solve_result r = solve(layout);
        if (expected < 0) {
            EXPECT_EQ(r.status, SOLVE_NONE);
            continue;
        }
        ++solvable;
        ASSERT_EQ(r.status, SOLVE_FOUND);
        EXPECT_EQ(r.pushes, expected);
        Solve_options by_moves;
        by_moves.goal = SOLVE_MOVES;
        EXPECT_EQ(solve(layout, by_moves).move_count, expected_moves);
        by_moves.goal = SOLVE_PUSHES_THEN_MOVES;
        Solve_result both = solve(layout, by_moves);
        EXPECT_EQ(both.pushes, expected);
        EXPECT_GE(both.move_count, expected_moves);
        EXPECT_LE(both.move_count, r.move_count);
    }
    EXPECT_GT(compared, 60);
    EXPECT_GT(solvable, 15) << compared << " compared";
}

} // namespace
