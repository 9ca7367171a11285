#include <gtest/gtest.h>

#include "engine/move_rules.h"
#include "board_fixture.h"

namespace {

class Moves : public ::testing::Test {
protected:
    void SetUp() override { offscreen_reset(); }
    Game_state state;
    std::vector<std::string> picture(int rows = 5, int cols = 7) { return board_picture(state.play_board, rows, cols); }
};

TEST_F(Moves, WalkingStepsOntoFreeCellsAndCountsMoves)
{
    load_board(state, {"#######", "#@----#", "#-----#", "#######"});
    press(state, CODE_RIGHT, 2);
    press(state, CODE_DOWN);
    EXPECT_EQ(picture(4), (std::vector<std::string>{"#######", "#-----#", "#--@--#", "#######"}));
    EXPECT_EQ(state.play_board.moves, 3);
    EXPECT_EQ(state.play_board.pushes, 0);
}

TEST_F(Moves, PushIntoWallOrSecondTreasureIsRefused)
{
    load_board(state, {"#######", "#@$$-.#", "#.$---#", "#-#####", "#######"});
    press(state, CODE_RIGHT);
    press(state, CODE_DOWN);
    press(state, CODE_RIGHT);  // pushes the treasure below the start right
    EXPECT_EQ(state.play_board.pushes, 1);
    press(state, CODE_UP);  // into the row of two treasures: blocked
    EXPECT_EQ(state.play_board.moves, 2);
}
}  // namespace
