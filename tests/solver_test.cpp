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

struct Solved {
    Solve_result result;
    Replay_outcome replay;
};

class Solver : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }

    Solved solve(const std::vector<std::string>& rows, Solve_goal goal = SOLVE_PUSHES)
    {
        Solved out;
        Puzzle puzzle;
        std::string error;
        EXPECT_EQ(puzzle_from_rows(rows, puzzle, &error), 0) << error;
        Solve_options options;
        options.goal = goal;
        out.result = solve_puzzle(puzzle, options);
        if (out.result.status == SOLVE_FOUND) {
            auto pack = pack_of_level(Authored_level{"test", rows, "", {}, {}});
            EXPECT_TRUE(pack);
            if (pack) out.replay = replay_solution(game.state, *pack->levels, out.result.moves);
            EXPECT_TRUE(out.replay.solved) << out.replay.problem << " moves " << out.result.moves;
            EXPECT_EQ(out.replay.pushes, out.result.pushes);
            EXPECT_EQ(out.replay.moves, out.result.move_count);
        }
        return out;
    }
    Tool_game game;
};

TEST_F(Solver, FindsHandWorkedOptimalPushCounts)
{
    // One treasure, two pushes straight along the corridor.
    Solved a = solve({"#######", "#@-$-.#", "#######"});
    ASSERT_EQ(a.result.status, SOLVE_FOUND);
    EXPECT_EQ(a.result.pushes, 2);
    EXPECT_EQ(a.result.moves, ">>>");

    // Two treasures, two pushes each; any order.
    Solved b = solve({"########", "#@$-.--#", "#--$-.-#", "########"});
    ASSERT_EQ(b.result.status, SOLVE_FOUND);
    EXPECT_EQ(b.result.pushes, 4);

    // Two pushes right, then round to the top for two pushes down; going
    // down first would need the player to walk round twice.
    Solved c = solve({"#######", "#@----#", "#-$---#", "#-----#", "#---.-#", "#######"}, SOLVE_MOVES);
    ASSERT_EQ(c.result.status, SOLVE_FOUND);
    EXPECT_EQ(c.result.pushes, 4);
    EXPECT_EQ(c.result.move_count, 7);
}

TEST_F(Solver, MoveGoalsWalkNoMoreThanThePushGoal)
{
    // Upper treasure first costs 6 steps; the lower one first costs 10.
    std::vector<std::string> rows = {"########", "#@$-.--#", "#--$-.-#", "########"};
    Solved by_moves = solve(rows, SOLVE_MOVES);
    ASSERT_EQ(by_moves.result.status, SOLVE_FOUND);
    EXPECT_EQ(by_moves.result.move_count, 6);
    EXPECT_EQ(by_moves.result.pushes, 4);
    Solved by_pushes = solve(rows, SOLVE_PUSHES);
    EXPECT_LE(by_moves.result.move_count, by_pushes.result.move_count);
    Solved both = solve(rows, SOLVE_PUSHES_THEN_MOVES);
    EXPECT_EQ(both.result.pushes, 4);
    EXPECT_EQ(both.result.move_count, 6);
}

TEST_F(Solver, TreasuresStartingBankedNeedAPush)
{
    Solved a = solve({"######", "#@*.-#", "######"});
    ASSERT_EQ(a.result.status, SOLVE_FOUND);
    EXPECT_EQ(a.result.moves, ">");
    EXPECT_EQ(solve({"####", "#@*#", "####"}).result.status, SOLVE_NONE);
}

TEST_F(Solver, ProvesUnsolvableLevels)
{
    // Treasure in a corner.
    EXPECT_EQ(solve({"#####", "#$-.#", "#-@-#", "#####"}).result.status, SOLVE_NONE);
    // A pair that holds each other: a wall above the left one, below the right.
    EXPECT_EQ(solve({"#########", "#---#---#", "#---$$--#", "#-@--#--#", "#.----.-#", "#########"}).result.status,
              SOLVE_NONE);
    // More treasures than banks.
    EXPECT_EQ(solve({"#######", "#-----#", "#-$$@.#", "#-----#", "#######"}).result.status, SOLVE_NONE);
    // No treasure at all: no push can ever happen.
    EXPECT_EQ(solve({"#####", "#@-.#", "#####"}).result.status, SOLVE_NONE);
}

TEST_F(Solver, AvoidsPushesThatFreezeAPair)
{
    // Pushing the right treasure up first would lock it against the left one
    // under the wall; the solver must take the long way.
    Solved a = solve({"########", "#--#---#", "#-$--$-#", "#.-@-.-#", "########"});
    ASSERT_EQ(a.result.status, SOLVE_FOUND);
}

TEST_F(Solver, DeadCellsAreCornersAndWallRunsWithoutBanks)
{
    Puzzle p;
    ASSERT_EQ(puzzle_from_rows({"######", "#@---#", "#-$-.#", "#----#", "######"}, p), 0);
    std::vector<bool> dead = dead_cells(p);
    auto at = [&](int row, int col) { return bool(dead[row * LEVEL_COLS + col]); };
    EXPECT_TRUE(at(1, 1));  // corner
    EXPECT_TRUE(at(3, 2));  // along the bottom wall, no bank there
    EXPECT_FALSE(at(2, 2)); // middle row leads to the bank
    EXPECT_TRUE(at(1, 4));  // a corner even above the bank
    EXPECT_TRUE(at(1, 3));  // along the top wall, no bank there
    EXPECT_FALSE(at(2, 4));
}

TEST_F(Solver, GivesUpAtTheStateLimit)
{
    Puzzle p;
    ASSERT_EQ(puzzle_from_rows({"##########", "#@-------#", "#-$-$-$--#", "#--------#", "#-.-.-.--#", "##########"}, p),
              0);
    Solve_options options;
    options.max_states = 5;
    EXPECT_EQ(solve_puzzle(p, options).status, SOLVE_GAVE_UP);
}

TEST_F(Solver, RefusesALevelWithoutExactlyOneStart)
{
    Puzzle p;
    std::string error;
    EXPECT_EQ(puzzle_from_rows({"#####", "#-$.#", "#####"}, p, &error), -1);
    EXPECT_FALSE(error.empty());
    // A second start would be a pushable figure in the game, not a player.
    EXPECT_EQ(puzzle_from_rows({"######", "#@$.@#", "######"}, p, &error), -1);
}

} // namespace

namespace
{

// Layouts drawn at random, open edges, spaces and all: whatever the solver
// finds must be what the game plays, and it must never crash or run away.
TEST_F(Solver, RandomLayoutsNeverContradictTheGame)
{
    uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFF) % n;
    };
    const char legend[] = "##---------..$$* ";
    int found = 0;
    for (int round = 0; round < 300; ++round) {
        int rows = 2 + next(7), cols = 2 + next(9);
        std::vector<std::string> layout(rows, std::string(cols, ' '));
        for (std::string& r : layout)
            for (char& c : r)
                c = legend[next(sizeof legend - 1)];
        layout[next(rows)][next(cols)] = next(2) ? '@' : '+';
        Puzzle puzzle;
        if (puzzle_from_rows(layout, puzzle) != 0) continue;
        Solve_options options;
        options.max_states = 4000;
        options.goal = static_cast<Solve_goal>(next(3));
        Solve_result r = solve_puzzle(puzzle, options);
        if (r.status != SOLVE_FOUND) continue;
        ++found;
        auto pack = pack_of_level(Authored_level{"random", layout, "", {}, {}});
        ASSERT_TRUE(pack);
        Replay_outcome replay = replay_solution(game.state, *pack->levels, r.moves);
        EXPECT_TRUE(replay.solved) << replay.problem << "\n" << ::testing::PrintToString(layout);
        EXPECT_EQ(replay.pushes, r.pushes);
    }
    EXPECT_GT(found, 5);
}

} // namespace

namespace
{

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

// The pruning (dead cells, freezes, the matching bound) must never lose a
// solution nor an optimal one: small random rooms against plain search.
TEST_F(Solver, AgreesWithPlainSearchOnSmallRooms)
{
    uint32_t seed = 777;
    auto next = [&seed](int n) {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFF) % n;
    };
    int compared = 0, solvable = 0;
    for (int round = 0; round < 120; ++round) {
        int rows = 5 + next(3), cols = 5 + next(4);
        std::vector<std::string> layout(rows, std::string(cols, '#'));
        for (int r = 1; r < rows - 1; ++r)
            for (int c = 1; c < cols - 1; ++c)
                layout[r][c] = next(8) == 0 ? '#' : '-';
        int treasures = 1 + next(3), placed = 0;
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
        Puzzle puzzle;
        ASSERT_EQ(puzzle_from_rows(layout, puzzle), 0);
        Solve_result r = solve_puzzle(puzzle);
        SCOPED_TRACE(::testing::PrintToString(layout));
        ++compared;
        if (expected < 0) {
            EXPECT_EQ(r.status, SOLVE_NONE);
        } else {
            ++solvable;
            ASSERT_EQ(r.status, SOLVE_FOUND);
            EXPECT_EQ(r.pushes, expected);
            Solve_options by_moves;
            by_moves.goal = SOLVE_MOVES;
            EXPECT_EQ(solve_puzzle(puzzle, by_moves).move_count, expected_moves);
            by_moves.goal = SOLVE_PUSHES_THEN_MOVES;
            Solve_result both = solve_puzzle(puzzle, by_moves);
            EXPECT_EQ(both.pushes, expected);
            EXPECT_GE(both.move_count, expected_moves);
            EXPECT_LE(both.move_count, r.move_count);
        }
    }
    EXPECT_GT(compared, 50);
    EXPECT_GT(solvable, 10) << compared << " compared";
}

} // namespace
