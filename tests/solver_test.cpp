#include <gtest/gtest.h>

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
            auto pack = pack_of_level(Authored_level{"test", rows, "", {}});
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

TEST_F(Solver, MovesGoalWalksLessThanOrEqualToPushGoal)
{
    // Upper treasure first costs 6 steps; the lower one first costs 10.
    std::vector<std::string> rows = {"########", "#@$-.--#", "#--$-.-#", "########"};
    Solved by_moves = solve(rows, SOLVE_MOVES);
    ASSERT_EQ(by_moves.result.status, SOLVE_FOUND);
    EXPECT_EQ(by_moves.result.move_count, 6);
    EXPECT_EQ(by_moves.result.pushes, 4);
    Solved by_pushes = solve(rows, SOLVE_PUSHES);
    EXPECT_LE(by_moves.result.move_count, by_pushes.result.move_count);
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

TEST_F(Solver, RefusesALevelWithoutAStart)
{
    Puzzle p;
    std::string error;
    EXPECT_EQ(puzzle_from_rows({"#####", "#-$.#", "#####"}, p, &error), -1);
    EXPECT_FALSE(error.empty());
}

} // namespace
