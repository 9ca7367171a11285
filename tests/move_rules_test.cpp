#include <gtest/gtest.h>

#include "board_fixture.h"
#include "engine/move_rules.h"

namespace {

using Picture = std::vector<std::string>;

class Moves : public ::testing::Test {
protected:
    void SetUp() override
    {
        offscreen_reset();
        give_sounds(state);
    }
    void load(const Picture& rows)
    {
        load_board(state, rows);
        offscreen().calls.clear();
    }
    Picture picture() { return board_picture(state.play_board, rows_, cols_); }
    void set_size(int rows, int cols) { rows_ = rows, cols_ = cols; }
    const Field_info& board() const { return state.play_board; }

    Game_state state;
    int rows_ = 4, cols_ = 7;
};

TEST_F(Moves, StepsCountMovesAndRedrawBothCells)
{
    load({"#######", "#@----#", "#-----#", "#######"});
    press(state, CODE_RIGHT, 2);
    press(state, CODE_DOWN);
    EXPECT_EQ(picture(), (Picture{"#######", "#-----#", "#--@--#", "#######"}));
    EXPECT_EQ(board().moves, 3);
    EXPECT_EQ(board().pushes, 0);
    EXPECT_EQ(offscreen_calls_of(CALL_BLIT).size(), 6u);  // from and to cell, each step
    EXPECT_EQ(sounds_played(), (std::vector<int>{8, 8, 8}));
}

TEST_F(Moves, WallsAndSecondTreasuresBlockSilently)
{
    load({"#######", "#@$$-.#", "#-----#", "#######"});
    press(state, CODE_RIGHT);  // two treasures in a row
    press(state, CODE_UP);     // wall
    EXPECT_EQ(board().moves, 0);
    EXPECT_TRUE(offscreen().calls.empty());
    EXPECT_EQ(picture()[1], "#@$$-.#");
}

TEST_F(Moves, PushMovesTreasureThenPlayerAndRecordsUndo)
{
    load({"#######", "#@$--.#", "#-$---#", "#######"});
    press(state, CODE_RIGHT);
    EXPECT_EQ(picture()[1], "#-@$-.#");
    EXPECT_EQ(board().moves, 1);
    EXPECT_EQ(board().pushes, 1);
    EXPECT_EQ(board().undo_player_after, 1 * 20 + 2);
    EXPECT_EQ(board().undo_player_before, 1 * 20 + 1);
    EXPECT_EQ(board().undo_treasure_to, 1 * 20 + 3);
    EXPECT_EQ(board().undo_treasure_from, 1 * 20 + 2);
    EXPECT_EQ(sounds_played(), (std::vector<int>{9}));
}

TEST_F(Moves, MovesOffTheGridAreRefusedLikeWalls)
{
    load({"@-$"});
    // The fixture walls in everything else; open the edge row by hand.
    state.play_board.player_y = 0;
    press(state, CODE_UP);
    press(state, CODE_LEFT);
    EXPECT_EQ(board().moves, 0);
}

TEST_F(Moves, CornerSpeechOnlyOffBanksAndOnlyForWalls)
{
    load({"#######", "#@$-#-#", "#---$-#", "#######"});
    set_size(4, 7);
    press(state, CODE_RIGHT);  // treasure to (1,3): wall right, wall above
    EXPECT_EQ(sounds_played(), (std::vector<int>{9, 10}));

    load({"#######", "#@$.###", "#######"});
    press(state, CODE_RIGHT);  // into the corner, but onto a bank: banked, then solved
    EXPECT_EQ(sounds_played(), (std::vector<int>{9, 21, 22}));

    load({"#######", "#-----#", "#@$-$-#", "#-----#", "#######"});
    press(state, CODE_RIGHT);  // a treasure beside it is not a corner
    EXPECT_EQ(sounds_played(), (std::vector<int>{9}));
}

TEST_F(Moves, IsCorneredCountsWallFloorsOnly)
{
    load({"#####", "#$$-#", "#-.-#", "#####"});
    EXPECT_EQ(is_cornered(board(), 1 * 20 + 1), 1);  // walls up and left
    EXPECT_EQ(is_cornered(board(), 1 * 20 + 2), 0);  // wall up only; treasure beside
    EXPECT_EQ(is_cornered(board(), 2 * 20 + 2), 0);  // a bank is never cornered
    EXPECT_EQ(is_cornered(board(), 2 * 20 + 3), 1);
}

TEST_F(Moves, BankedSoundOnlyFromPlainFloorAtTheStartingCount)
{
    load({"########", "#@$.$.-#", "########"});
    press(state, CODE_RIGHT);  // first banking: sound
    EXPECT_EQ(board().banked, 1);
    press(state, CODE_LEFT);
    EXPECT_EQ(sounds_played(), (std::vector<int>{9, 21, 8}));

    load({"##########", "#@*.--$.#", "##########"});  // bank to bank: no count change, no sound
    press(state, CODE_RIGHT);
    EXPECT_EQ(board().banked, 1);
    EXPECT_EQ(sounds_played(), (std::vector<int>{9}));
    press(state, CODE_RIGHT);  // off the bank onto floor
    EXPECT_EQ(board().banked, 0);
}

TEST_F(Moves, BankedCountStartsAtTheStarredCells)
{
    load({"#######", "#@*-*.#", "#######"});
    EXPECT_EQ(board().banked, 2);
    EXPECT_EQ(board().treasures, 2);
    // A treasure that started on a bank keeps content 4 until it is pushed onto another bank.
    EXPECT_EQ(board().cells[1 * 20 + 2].content, KIND_TREASURE);
    press(state, CODE_RIGHT);
    EXPECT_EQ(board().cells[1 * 20 + 3].content, KIND_TREASURE);
}

TEST_F(Moves, TestMoveRefusesABadDirectionWithItsMessage)
{
    load({"#####", "#@--#", "#####"});
    Cell_pos out;
    int index;
    EXPECT_EQ(test_move(board(), player_pos(board()), 4, &out, &index), 255);
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text, "bogus move dir (4) in test_move");
    EXPECT_EQ(boxes[0]->extra, "Zandrek");
    EXPECT_EQ(boxes[0]->a, BOX_ERROR);
}

// ---- undo ----

TEST_F(Moves, UndoAfterWalkingAwayReturnsPlayerAndTreasureAndCountsTwoMoves)
{
    load({"#######", "#@$---#", "#-----#", "#######"});
    press(state, CODE_RIGHT);  // push
    press(state, CODE_DOWN);
    press(state, CODE_RIGHT, 2);  // walk away
    ASSERT_EQ(board().moves, 4);
    press(state, CODE_U);
    EXPECT_EQ(picture(), (Picture{"#######", "#@$---#", "#-----#", "#######"}));
    EXPECT_EQ(board().moves, 6);
    EXPECT_EQ(board().pushes, 2);
    // The player's move, then the undo speech, then the treasure's move.
    EXPECT_EQ(sounds_played().back(), 11);
}

TEST_F(Moves, SecondUndoAndUndoBeforeAnyPushDoNothing)
{
    load({"#######", "#@$---#", "#######"});
    press(state, CODE_U);
    EXPECT_TRUE(offscreen().calls.empty());
    press(state, CODE_RIGHT, 2);
    press(state, CODE_BACKSPACE);
    Picture after_first = picture();
    size_t calls = offscreen().calls.size();
    press(state, CODE_DELETE);
    EXPECT_EQ(picture(), after_first);
    EXPECT_EQ(offscreen().calls.size(), calls);
    EXPECT_EQ(after_first[1], "#-@$--#");
}

TEST_F(Moves, UndoRestoresOnlyTheLastPushThenPushingAgainWorks)
{
    load({"########", "#@$----#", "########"});
    set_size(3, 8);
    press(state, CODE_RIGHT, 3);
    EXPECT_EQ(picture()[1], "#---@$-#");
    press(state, CODE_U);
    EXPECT_EQ(picture()[1], "#--@$--#");
    press(state, CODE_U);  // nothing more to undo
    EXPECT_EQ(picture()[1], "#--@$--#");
    press(state, CODE_RIGHT);
    EXPECT_EQ(picture()[1], "#---@$-#");
    press(state, CODE_U);
    EXPECT_EQ(picture()[1], "#--@$--#");
    EXPECT_EQ(board().moves, 4 + 2 + 2);
    EXPECT_EQ(board().pushes, 4 + 2);
}

TEST_F(Moves, UndoOfABankingPushUnbanks)
{
    load({"#######", "#@$.$.#", "#######"});
    press(state, CODE_RIGHT);
    EXPECT_EQ(board().banked, 1);
    press(state, CODE_U);
    EXPECT_EQ(board().banked, 0);
}

TEST_F(Moves, UndoIsRefusedOffPlay)
{
    load({"#######", "#@$---#", "#######"});
    press(state, CODE_RIGHT);
    state.mode = MODE_HELP;
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    EXPECT_EQ(picture()[1], "#-@$--#");
}

// ---- restart and counters ----

TEST_F(Moves, RestartKeepsCountersAndClockButResetsTheBoard)
{
    load({"#######", "#@$--.#", "#######"});
    uint32_t started = board().start_time;
    offscreen().now_ms += 7000;
    press(state, CODE_RIGHT, 2);
    press(state, CODE_R);
    EXPECT_EQ(picture()[1], "#@$--.#");
    EXPECT_EQ(board().moves, 2);
    EXPECT_EQ(board().pushes, 2);
    EXPECT_EQ(board().start_time, started);
    EXPECT_EQ(board().undo_player_after, -1);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(sounds_played().back(), 20);
}

TEST_F(Moves, CountersWrapAt16Bits)
{
    load({"#####", "#@--#", "#####"});
    state.play_board.moves = 65535;
    press(state, CODE_RIGHT);
    EXPECT_EQ(board().moves, 0);
}

// ---- solving ----

TEST_F(Moves, SolvedOnlyByAPushThatBanksEverything)
{
    load({"########", "#@$-.--#", "########"});
    press(state, CODE_RIGHT);
    EXPECT_EQ(state.mode, MODE_PLAY);
    press(state, CODE_RIGHT);
    EXPECT_NE(state.mode, MODE_PLAY);
    EXPECT_NE(board().solve_time, 0u);
    // An arrow key on the solved screen only leaves it.
    Picture solved = picture();
    press(state, CODE_RIGHT);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

TEST_F(Moves, ALevelThatStartsAllBankedIsSolvedOnlyAfterAPush)
{
    load({"########", "#@-*.--#", "########"});
    EXPECT_EQ(board().banked, board().treasures);
    press(state, CODE_RIGHT);
    EXPECT_EQ(state.mode, MODE_PLAY);  // a step is never checked
    press(state, CODE_RIGHT);          // pushes onto the next bank: all banked
    EXPECT_NE(state.mode, MODE_PLAY);
}

TEST_F(Moves, PushingOneTreasureOffItsBankIsNotSolved)
{
    load({"########", "#@*-.*-#", "########"});
    press(state, CODE_RIGHT);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(board().banked, 1);
}

}  // namespace
