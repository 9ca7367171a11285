// Steps, pushes, the one-push undo, restart and solving, played through
// handle_event on boards drawn in the layout legend.
#include <gtest/gtest.h>

#include "board_fixture.h"
#include "engine/move_rules.h"

namespace
{

using Picture = std::vector<std::string>;

struct Play {
    const char* what;
    Picture before;
    const char* keys;
    Picture after;
    int moves, pushes, banked;
    std::vector<int> sounds; // step 8, push 9, corner 10, undo 11, start 20, banked 21, solved 22
    int32_t mode = MODE_PLAY;
};

class Moves : public Board_test
{
};

TEST_F(Moves, KeysPlayTheRules)
{
    // clang-format off
    const Play plays[] = {
        {"steps", {"#######", "#@----#", "#-----#"}, ">>v", {"#######", "#-----#", "#--@--#"}, 3, 0, 0, {8, 8, 8}},
        {"walls and a second treasure block", {"#######", "#@$$-.#"}, ">^", {"#######", "#@$$-.#"}, 0, 0, 0, {}},
        {"the grid's edge blocks", {"@-$"}, "^<", {"@-$"}, 0, 0, 0, {}},
        {"push", {"#######", "#@$--.#", "#-$---#"}, ">", {"#######", "#-@$-.#", "#-$---#"}, 1, 1, 0, {9}},
        {"push into a wall corner", {"#######", "#@$-#-#", "#---$-#"}, ">", {"#######", "#-@$#-#", "#---$-#"}, 1, 1, 0, {9, 10}},
        {"a wall and a treasure make no corner", {"#######", "#@$-$-#", "#---#-#"}, ">", {"#######", "#-@$$-#", "#---#-#"}, 1, 1, 0, {9}},
        {"into a corner on a bank: banked, then solved", {"#######", "#@$.###"}, ">", {"#######", "#-@*###"}, 1, 1, 1, {9, 21, 22}, MODE_SOLVED},
        {"only the first banking from the starting count sounds", {"########", "#@$.---#", "#-$.---#"}, "><v>", {"########", "#--*---#", "#-@*---#"}, 4, 2, 2, {9, 21, 8, 8, 9, 22}, MODE_SOLVED},
        {"bank to bank keeps the count, off a bank lowers it", {"##########", "#@*.--$.#"}, ">>", {"##########", "#-.+$-$.##"}, 2, 2, 0, {9, 9}},
        {"undo after walking away", {"#######", "#@$---#", "#-----#"}, ">v>>u", {"#######", "#@$---#", "#-----#"}, 6, 2, 0, {9, 8, 8, 8, 11}},
        {"undo only once, and not before a push", {"#######", "#@$---#"}, "u>>uu", {"#######", "#-@$--#"}, 4, 3, 0, {9, 9, 11}},
        {"push again after an undo", {"########", "#@$----#"}, ">>>uu>u", {"########", "#--@$--#"}, 8, 6, 0, {9, 9, 9, 11, 9, 11}},
        {"undo of a banking push unbanks", {"#######", "#@$.$.#"}, ">u", {"#######", "#@$.$.#"}, 3, 2, 0, {9, 21, 11}},
        {"restart keeps the counters", {"#######", "#@$--.#"}, ">>r", {"#######", "#@$--.#"}, 2, 2, 0, {9, 9, 20}},
        {"solved by a push that banks everything", {"########", "#@$-.--#"}, ">>", {"########", "#--@*--#"}, 2, 2, 1, {9, 9, 21, 22}, MODE_SOLVED},
        {"all banked at the start: solved only after a push", {"########", "#@-*.--#"}, ">>", {"########", "#--+*--#"}, 2, 1, 1, {8, 9, 22}, MODE_SOLVED},
        {"pushed off its bank: not solved", {"########", "#@*-.*-#"}, ">", {"########", "#-+$.*-#"}, 1, 1, 1, {9}},
        {"player on a bank", {"######", "#+$.-#"}, ">", {"######", "#.@*-#"}, 1, 1, 1, {9, 21, 22}, MODE_SOLVED},
    };
    // clang-format on
    for (const Play& p : plays) {
        SCOPED_TRACE(p.what);
        load(p.before);
        press_keys(state, p.keys);
        EXPECT_EQ(picture(), p.after);
        EXPECT_EQ(state.play_board.moves, p.moves);
        EXPECT_EQ(state.play_board.pushes, p.pushes);
        EXPECT_EQ(state.play_board.banked, p.banked);
        EXPECT_EQ(sounds_played(), p.sounds);
        EXPECT_EQ(state.mode, p.mode);
    }
}

TEST_F(Moves, EachMoveRedrawsItsCellsWithTheRightTiles)
{
    load({"#######", "#@$-.-#", "#######"});
    press_keys(state, ">");
    auto blits = offscreen_calls_of(CALL_BLIT);
    ASSERT_EQ(blits.size(), 4u); // the treasure's two cells, then the player's
    EXPECT_EQ(blits[0]->a, 2 * 16 * 2);
    EXPECT_EQ(blits[1]->a, 3 * 16 * 2);
    const Field_info& b = state.play_board;
    EXPECT_EQ(b.cells[20 + 1].tile, b.kind_tiles[KIND_FLOOR]);
    EXPECT_EQ(b.cells[20 + 3].tile, b.kind_tiles[KIND_TREASURE]);
    EXPECT_EQ(b.cells[20 + 3].content, KIND_TREASURE);
    EXPECT_EQ(b.undo_player_after, 20 + 2);
    EXPECT_EQ(b.undo_player_before, 20 + 1);
    EXPECT_EQ(b.undo_treasure_to, 20 + 3);
    EXPECT_EQ(b.undo_treasure_from, 20 + 2);
    press_keys(state, ">");
    EXPECT_EQ(b.cells[20 + 4].tile, b.kind_tiles[KIND_BANKED_TREASURE]);
    EXPECT_EQ(b.cells[20 + 4].content, KIND_BANKED_TREASURE);
    EXPECT_NE(b.solve_time, 0u);

    // A treasure that starts on a bank keeps content 4 until pushed onto another bank.
    load({"#######", "#@*-*.#"});
    EXPECT_EQ(b.banked, 2);
    EXPECT_EQ(b.cells[20 + 2].content, KIND_TREASURE);
    state.play_board.moves = 65535; // the counters wrap at 16 bits
    press_keys(state, ">");
    EXPECT_EQ(b.cells[20 + 3].content, KIND_TREASURE);
    EXPECT_EQ(b.moves, 0);
}

TEST_F(Moves, PlayerTilesFaceTheWayOfTheMoveOnOddAndEvenRows)
{
    for (int slot = 0; slot < 14; ++slot)
        state.tile_info.slots_14_to_27[slot] = static_cast<uint16_t>(100 + 14 + slot);
    struct Facing {
        int facing, row, slot;
    };
    const Facing table[] = {{DIR_NONE, 1, 14},      {DIR_UP, 1, 17},         {DIR_UP, 2, 23},
                            {DIR_DOWN, 1, 15},      {DIR_DOWN, 2, 20},       {DIR_LEFT, 1, 14},
                            {DIR_RIGHT, 2, 21},     {DIR_BACK_UP, 1, 23},    {DIR_BACK_DOWN, 1, 24},
                            {DIR_BACK_LEFT, 1, 15}, {DIR_BACK_RIGHT, 1, 20}, {8, 1, -100}};
    for (const Facing& f : table)
        EXPECT_EQ(player_tile_for(state, f.facing, make_cell_pos(1, f.row)), 100 + f.slot) << f.facing;
    EXPECT_EQ(backing_dir(21, 22, 20), DIR_BACK_RIGHT);
    EXPECT_EQ(backing_dir(22, 21, 20), DIR_BACK_LEFT);
    EXPECT_EQ(backing_dir(21, 41, 20), DIR_BACK_DOWN);
    EXPECT_EQ(backing_dir(41, 21, 20), DIR_BACK_UP);
    EXPECT_EQ(backing_dir(21, 21, 20), DIR_NONE);

    // Pushing left then undoing: the player backs off to the right.
    load({"######", "#-$@-#", "######"});
    press_keys(state, "<u");
    EXPECT_EQ(state.play_board.cells[20 + 3].tile, 100 + 20);
}

TEST_F(Moves, CornersAreWallsOnTwoSidesOffBanks)
{
    load({"#####", "#$$-#", "#-.-#", "#####"});
    const std::pair<int, int> cells[] = {{21, 1}, {22, 0}, {42, 0}, {43, 1}, {23, 1}, {41, 1}};
    for (auto [index, cornered] : cells)
        EXPECT_EQ(is_cornered(state.play_board, index), cornered) << index;

    Cell_pos out;
    int index;
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(1, 1), 4, &out, &index), MOVE_WALL);
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(1, 1), -1, &out, &index), MOVE_WALL);
    EXPECT_EQ(box_texts(),
              (std::vector<std::string>{"bogus move dir (4) in test_move", "bogus move dir (-1) in test_move"}));
    EXPECT_EQ(offscreen_calls_of(CALL_BOX)[0]->a, BOX_ERROR);
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(3, 2), DIR_RIGHT, &out, &index), MOVE_WALL);
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(3, 2), DIR_LEFT, &out, &index), MOVE_FREE);
    EXPECT_EQ(index, 42);
    EXPECT_EQ(out, make_cell_pos(2, 2));
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(3, 1), DIR_LEFT, &out, &index), MOVE_OCCUPIED);
}

} // namespace
