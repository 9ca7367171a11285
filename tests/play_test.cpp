// Playing a board through handle_event: the rules of steps, pushes, undo and
// restart, walking with the mouse, and what each event does in each mode.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board_fixture.h"
#include "engine/click_to_move.h"
#include "engine/level_progression.h"
#include "engine/move_rules.h"

namespace
{

using Picture = std::vector<std::string>;
using Trail = std::vector<std::pair<int, int>>;

class Play : public Board_test
{
  protected:
    void point_at(int column, int row)
    {
        cell_pointer(state, column, row, &state.last_pointer_x, &state.last_pointer_y);
    }
    void send(int32_t type, int32_t code, int32_t flags = 0)
    {
        handle_event(state, Game_event{type, code, flags, state.last_pointer_x, state.last_pointer_y});
    }
    void click(int column, int row, int32_t flags = 0)
    {
        point_at(column, row);
        send(EVENT_BUTTON, CODE_LEFT_DOWN, flags);
    }
    // Where the player stands after each of `ticks` walk ticks.
    Trail trail(int ticks)
    {
        Trail out;
        for (int i = 0; i < ticks; ++i) {
            advance_ms(state, 50);
            out.push_back(player());
        }
        return out;
    }
    std::pair<int, int> player() const { return {state.play_board.player_x, state.play_board.player_y}; }
    bool walking() const { return state.walk_timer && state.walk_timer->running(); }
    size_t count(Call_kind kind) { return offscreen_calls_of(kind).size(); }
};

TEST_F(Play, KeysPlayTheRules)
{
    struct Case {
        const char* what;
        Picture before;
        const char* keys;
        Picture after;
        int moves, pushes, banked;
        std::vector<int> sounds; // step 8, push 9, corner 10, undo 11, start 20, banked 21, solved 22
        int32_t mode = MODE_PLAY;
    };
    // clang-format off
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        press_keys(state, c.keys);
        EXPECT_EQ(picture(), c.after);
        EXPECT_EQ(std::vector<int>({state.play_board.moves, state.play_board.pushes, state.play_board.banked}),
                  std::vector<int>({c.moves, c.pushes, c.banked}));
        EXPECT_EQ(sounds_played(), c.sounds);
        EXPECT_EQ(state.mode, c.mode);
    }
}

TEST_F(Play, MovesRedrawTheirCellsAndKeepTheUndoRecord)
{
    load({"#######", "#@$-.-#", "#######"});
    state.fidget.state = 4;
    press_keys(state, ">");
    EXPECT_EQ(state.fidget.state, 0); // a push restarts the idling
    auto blits = offscreen_calls_of(CALL_BLIT);
    ASSERT_EQ(blits.size(), 4u); // the treasure's two cells, then the player's
    EXPECT_EQ(std::vector<int64_t>({blits[0]->a, blits[1]->a, blits[2]->a, blits[3]->a}),
              std::vector<int64_t>({64, 96, 32, 64}));
    const Field_info& b = state.play_board;
    EXPECT_EQ(std::vector<int>({b.cells[21].tile, b.cells[23].tile, b.cells[23].content}),
              std::vector<int>({b.kind_tiles[KIND_FLOOR], b.kind_tiles[KIND_TREASURE], KIND_TREASURE}));
    EXPECT_EQ(std::vector<int>({b.undo_player_after, b.undo_player_before, b.undo_treasure_to, b.undo_treasure_from}),
              std::vector<int>({22, 21, 23, 22}));
    state.fidget.state = 4;
    offscreen().now_ms = 9000;
    press_keys(state, ">");
    EXPECT_EQ(state.fidget.state, 0);
    EXPECT_EQ(std::vector<int>({b.cells[24].tile, b.cells[24].content}),
              std::vector<int>({b.kind_tiles[KIND_BANKED_TREASURE], KIND_BANKED_TREASURE}));
    EXPECT_EQ(b.solve_time, platform_now_seconds());
    load({"####", "#@-#"});
    state.play_board.cells[21].floor = 6; // a floor kind no tile stands for, from a damaged map
    press_keys(state, ">");
    EXPECT_EQ(b.cells[21].tile, 0);

    // A treasure that starts on a bank keeps content 4 until pushed onto another bank.
    load({"#######", "#@*-*.#"});
    EXPECT_EQ(b.banked, 2);
    EXPECT_EQ(b.cells[22].content, KIND_TREASURE);
    state.play_board.moves = 65535; // the counters wrap at 16 bits
    press_keys(state, ">");
    EXPECT_EQ(b.cells[23].content, KIND_TREASURE);
    EXPECT_EQ(b.moves, 0);
    state.draw.last_reveal = 5;
    state.fidget.state = 4;
    press_keys(state, "r"); // a restart draws the board row by row
    EXPECT_EQ(state.draw.last_reveal, 0);
    EXPECT_EQ(titles(), Picture{"Zandrek - Level 7"});
    EXPECT_EQ(state.fidget.state, 0);
}

TEST_F(Play, PlayerTilesCornersAndTheMoveTest)
{
    for (int slot = 0; slot < 14; ++slot)
        state.tile_info.slots_14_to_27[slot] = static_cast<uint16_t>(114 + slot);
    // clang-format off
    const int facings[][3] = {{DIR_NONE, 1, 14}, {DIR_UP, 1, 17}, {DIR_UP, 2, 23}, {DIR_DOWN, 1, 15}, {DIR_DOWN, 2, 20},
        {DIR_LEFT, 1, 14}, {DIR_RIGHT, 2, 21}, {DIR_BACK_UP, 1, 23}, {DIR_BACK_DOWN, 1, 24}, {DIR_BACK_LEFT, 1, 15},
        {DIR_BACK_RIGHT, 1, 20}, {8, 1, -100}};
    // clang-format on
    for (const auto& f : facings)
        EXPECT_EQ(player_tile_for(state, f[0], make_cell_pos(1, f[1])), 100 + f[2]) << f[0];
    // clang-format off
    const int backing[][3] = {{21, 22, DIR_BACK_RIGHT}, {22, 21, DIR_BACK_LEFT}, {21, 41, DIR_BACK_DOWN},
                              {41, 21, DIR_BACK_UP}, {21, 21, DIR_NONE}};
    // clang-format on
    for (const auto& k : backing)
        EXPECT_EQ(backing_dir(k[0], k[1], 20), k[2]);
    load({"######", "#-$@-#", "######"}); // pushing left then undoing: the player backs off to the right
    press_keys(state, "<u");
    EXPECT_EQ(state.play_board.cells[23].tile, 120);

    load({"#####", "#$$-#", "#-.-#", "#####"});
    const std::pair<int, int> cells[] = {{21, 1}, {22, 0}, {42, 0}, {43, 1}, {23, 1}, {41, 1}};
    for (auto [index, cornered] : cells)
        EXPECT_EQ(is_cornered(state.play_board, index), cornered) << index;
    Cell_pos out;
    int index;
    for (int bogus : {4, -1})
        EXPECT_EQ(test_move(state.play_board, make_cell_pos(1, 1), bogus, &out, &index), MOVE_WALL);
    EXPECT_EQ(box_texts(), Picture({"bogus move dir (4) in test_move", "bogus move dir (-1) in test_move"}));
    EXPECT_EQ(offscreen_calls_of(CALL_BOX)[0]->a, BOX_ERROR);
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(3, 2), DIR_RIGHT, &out, &index), MOVE_WALL);
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(3, 2), DIR_LEFT, &out, &index), MOVE_FREE);
    EXPECT_EQ(std::make_pair(index, out), std::make_pair(42, make_cell_pos(2, 2)));
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(3, 1), DIR_LEFT, &out, &index), MOVE_OCCUPIED);
}

TEST_F(Play, PointerMapsToCellsAtEveryMagnification)
{
    load({"#####", "#@--#", "#####"});
    for (int m = 1; m <= 4; ++m) {
        state.magnify = m;
        const int w = 16 * m, h = 12 * m;
        // Less than a cell off the window still counts as the first.
        const int cases[][4] = {{0, 0, 0, 0},      {w - 1, h - 1, 0, 0}, {w, h, 1, 1}, {5 * w + w / 2, 3 * h, 5, 3},
                                {-1, 1 - h, 0, 0}, {-w, -h, -1, -1}};
        for (const auto& c : cases) {
            state.last_pointer_x = c[0];
            state.last_pointer_y = c[1];
            EXPECT_EQ(pointer_cell(state), make_cell_pos(c[2], c[3])) << "magnify " << m << " at " << c[0];
        }
        point_at(7, 4);
        EXPECT_EQ(std::make_pair(state.last_pointer_x, state.last_pointer_y),
                  std::make_pair(7 * w + w / 2, 4 * h + h / 2));
    }
    for (int width : {0, -16}) { // a tile size from a damaged map gives no cell and no step
        state.tile_info.width = width;
        EXPECT_EQ(pointer_cell(state), make_cell_pos(-1, -1));
    }
    state.tile_info.width = 1 << 30;
    state.last_pointer_x = 3 * 32;
    EXPECT_EQ(cell_pos_column(pointer_cell(state)), 0); // one enormous tile: the wall left of the player
    state.tile_info.width = 16;
    state.tile_info.height = 1;
    state.last_pointer_y = 70000 * 4;
    EXPECT_EQ(pointer_cell(state), make_cell_pos(-1, -1)); // a row past what a position holds
    state.last_pointer_y = 32767 * 4;
    EXPECT_EQ(cell_pos_row(pointer_cell(state)), 32767);
    state.last_pointer_y = -32768 * 4;
    EXPECT_EQ(cell_pos_row(pointer_cell(state)), -32768);
    send(EVENT_BUTTON, CODE_LEFT_DOWN);
    advance_ms(state, 200);
    EXPECT_EQ(state.play_board.moves, 0);
}

TEST_F(Play, StepsTowardThePointer)
{
    load({"######", "#-#--#", "#-@--#", "#--$-#", "#--$-#", "######"});
    // clang-format off
    const int straight[][3] = {
        {2, 2, STEP_HERE}, {2, 1, STEP_NONE}, // a wall next to it
        {4, 2, DIR_RIGHT}, {2, 4, DIR_DOWN}, {1, 2, DIR_LEFT}, {3, 1, DIR_RIGHT}, // the horizontal corner first
        {1, 1, DIR_LEFT}, {1, 3, DIR_LEFT}, {3, 3, STEP_NONE}, // a treasure on the diagonal is never a target
        {4, 4, STEP_NONE}, {0, 0, STEP_NONE}, {3, 0, STEP_NONE}};
    // clang-format on
    for (const auto& c : straight)
        EXPECT_EQ(straight_step(state, make_cell_pos(c[0], c[1]), make_cell_pos(2, 2)), c[2]) << c[0] << "," << c[1];
    load({"######", "#----#", "#-@#-#", "#----#", "######"}); // the horizontal corner walled: the vertical one
    EXPECT_EQ(straight_step(state, make_cell_pos(3, 1), make_cell_pos(2, 2)), DIR_UP);
    EXPECT_EQ(straight_step(state, make_cell_pos(3, 3), make_cell_pos(2, 2)), DIR_DOWN);
    // A push needs a free cell right behind the treasure; the line beyond does not matter.
    load({"########", "#@$-$--#", "#$######", "#$#", "#-#", "###"});
    EXPECT_EQ(straight_step(state, make_cell_pos(6, 1), make_cell_pos(1, 1)), DIR_RIGHT);
    EXPECT_EQ(straight_step(state, make_cell_pos(1, 4), make_cell_pos(1, 1)), STEP_NONE); // two treasures in a row

    // Shortest paths over free cells: ties go newest first, then up, down, left, right.
    load({"#######", "#-----#", "#-----#", "#--@--#", "#-----#", "#-----#", "#######"});
    const int path[][3] = {{4, 4, DIR_RIGHT},   {2, 2, DIR_LEFT},  {4, 2, DIR_RIGHT}, {2, 4, DIR_LEFT},
                           {3, 1, DIR_UP},      {3, 5, DIR_DOWN},  {1, 3, DIR_LEFT},  {5, 1, DIR_RIGHT},
                           {1, 5, DIR_LEFT},    {3, 3, STEP_NONE}, {0, 0, STEP_NONE}, {-1, 3, STEP_NONE},
                           {25, 30, STEP_NONE}, {3, -1, STEP_NONE}};
    for (const auto& t : path) {
        EXPECT_EQ(path_step(state, make_cell_pos(t[0], t[1]), make_cell_pos(3, 3)), t[2]) << t[0] << "," << t[1];
        EXPECT_EQ(path_step_scan(state, make_cell_pos(t[0], t[1]), make_cell_pos(3, 3)), t[2]) << t[0] << "," << t[1];
    }
    load({"#######", "#-----#", "#-----#", "#--@--#"});
    state.play_board.rows = state.play_board.columns = 1000; // a damaged map's claim: the list search
    EXPECT_EQ(path_step(state, make_cell_pos(24, 0), make_cell_pos(23, 0)), DIR_RIGHT);

    // The fast search must take the very step the list search takes, ties and all.
    std::mt19937 random(20261206);
    for (int board_no = 0; board_no < 15; ++board_no) {
        Picture rows(LEVEL_ROWS, std::string(LEVEL_COLS, '#'));
        std::vector<std::pair<int, int>> free_cells;
        for (int r = 1; r < LEVEL_ROWS - 1; ++r)
            for (int c = 1; c < LEVEL_COLS - 1; ++c) {
                int roll = static_cast<int>(random() % 100) - board_no % 5 * 10;
                rows[r][c] = roll < 10 ? '#' : roll < 18 ? '$' : roll < 22 ? '.' : '-';
                if (roll >= 18) free_cells.emplace_back(c, r);
            }
        auto [sx, sy] = free_cells[random() % free_cells.size()];
        if (board_no == 0) rows = Picture(LEVEL_ROWS, std::string(LEVEL_COLS, '-')); // every cell open
        rows[sy][sx] = '@';
        load(rows);
        for (int r = -1; r <= LEVEL_ROWS; ++r)
            for (int c = -1; c <= LEVEL_COLS; ++c)
                ASSERT_EQ(path_step(state, make_cell_pos(c, r), make_cell_pos(sx, sy)),
                          path_step_scan(state, make_cell_pos(c, r), make_cell_pos(sx, sy)))
                    << "board " << board_no << " target " << c << "," << r;
    }
}

TEST_F(Play, ClicksWalkRoundPushInLineOrApproachUntilBlocked)
{
    struct Click {
        const char* what;
        Picture rows;
        int column, row, ticks;
        Trail trail; // the last entry where it ends
        int moves, pushes;
    };
    // clang-format off
    const Click clicks[] = {
        {"round a wall by the tie order, staying on arrival", {"#######", "#-----#", "#--#--#", "#--@--#"}, 3, 1, 6,
         {{4, 3}, {4, 2}, {4, 1}, {3, 1}, {3, 1}, {3, 1}}, 4, 0},
        {"a treasure in line is pushed once, ending on the clicked cell", {"#########", "#@--$--.#"}, 4, 1, 10, {{4, 1}}, 3, 1},
        {"a free cell behind a treasure is reached round it", {"#########", "#-------#", "#@--$--.#", "#-------#"}, 6, 2, 12, {{6, 2}}, 7, 0},
        {"or by pushing when there is no way round", {"#########", "#@-$---.#"}, 5, 1, 6,
         {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 1}, {5, 1}}, 4, 3},
        {"a walled-off cell in line is approached until blocked", {"#########", "#@---#--#", "#----#--#"}, 6, 1, 8, {{4, 1}}, 3, 0},
        {"out of line it gives no step", {"#########", "#@---#--#", "#----#--#"}, 7, 2, 4, {{1, 1}}, 0, 0},
        {"round when a push opens a way", {"#########", "#@$-----#", "##-###-##", "##-----##"}, 6, 1, 8, {{6, 1}}, 5, 5},
        {"the own cell gives no step", {"######", "#----#", "#-@--#"}, 2, 2, 3, {{2, 2}}, 0, 0},
    };
    // clang-format on
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.what);
        load(c.rows);
        click(c.column, c.row);
        Trail t = trail(c.ticks);
        if (c.trail.size() == 1) t.erase(t.begin(), t.end() - 1);
        EXPECT_EQ(t, c.trail);
        EXPECT_EQ(state.play_board.moves, c.moves);
        EXPECT_EQ(state.play_board.pushes, c.pushes);
        EXPECT_TRUE(walking()); // arrival only stops the stepping
        state.fidget.state = 4;
        advance_ms(state, 50); // and the idle animation waits while the button is held
        EXPECT_EQ(state.fidget.state, 0);
        send(EVENT_BUTTON, CODE_LEFT_UP);
        EXPECT_FALSE(walking());
    }
}

TEST_F(Play, ThePointerLeadsTheWalkUntilReleaseUndoSolvingOrAScreen)
{
    load({"##########", "#@-------#", "#--------#", "#--------#", "##########"});
    click(8, 1);
    EXPECT_EQ(trail(3), (Trail{{2, 1}, {3, 1}, {4, 1}}));
    point_at(4, 3);
    send(EVENT_MOTION, CODE_MOUSE_MOVED);
    EXPECT_EQ(trail(3), (Trail{{4, 2}, {4, 3}, {4, 3}}));
    point_at(0, 3);            // a wall in line: approached until blocked
    state.last_pointer_x = -3; // just left of the window is still column 0
    EXPECT_EQ(trail(4), (Trail{{3, 3}, {2, 3}, {1, 3}, {1, 3}}));
    point_at(1, 1);
    trail(6);
    EXPECT_EQ(player(), std::make_pair(1, 1));
    state.last_pointer_x = 25 * 32; // far right of the window: off the grid
    EXPECT_EQ(trail(2), (Trail{{1, 1}, {1, 1}}));
    EXPECT_TRUE(walking());
    send(EVENT_BUTTON, CODE_LEFT_UP);

    load({"##########", "#@-------#", "##########"});
    click(8, 1, EVENT_FLAG_SHIFT); // a shift walk outlives the release
    send(EVENT_BUTTON, CODE_LEFT_UP);
    EXPECT_EQ(trail(2), (Trail{{2, 1}, {3, 1}}));
    send(EVENT_BUTTON, CODE_LEFT_DOWN); // only clears the sticky walk
    EXPECT_EQ(state.walk_sticky, 0);
    EXPECT_EQ(trail(1), (Trail{{4, 1}}));
    send(EVENT_BUTTON, CODE_LEFT_UP);
    EXPECT_FALSE(walking());
    EXPECT_EQ(trail(2), (Trail{{4, 1}, {4, 1}}));
    auto cursors = offscreen_calls_of(CALL_CURSOR);
    ASSERT_EQ(cursors.size(), 2u);
    EXPECT_EQ(std::make_pair(cursors[0]->a, cursors[1]->a), (std::pair<int64_t, int64_t>(CURSOR_CROSS, CURSOR_ARROW)));

    click(8, 1); // a screen ends the walk at the next tick
    trail(1);
    press(state, CODE_A);
    trail(1);
    EXPECT_FALSE(walking());
    EXPECT_EQ(player(), std::make_pair(5, 1));
    EXPECT_TRUE(offscreen().timers.empty());
    click(8, 1); // and a click on a screen starts none
    EXPECT_FALSE(walking());

    load({"#######", "#@-$-.#"});
    click(5, 1, EVENT_FLAG_SHIFT);
    trail(2);
    EXPECT_EQ(state.play_board.pushes, 1);
    send(EVENT_BUTTON, CODE_RIGHT_UP); // the right button's undo
    EXPECT_FALSE(walking());
    EXPECT_EQ(state.walk_sticky, 0);
    EXPECT_EQ(state.play_board.pushes, 2);
    send(EVENT_BUTTON, CODE_LEFT_DOWN);
    trail(4);
    EXPECT_EQ(state.mode, MODE_SOLVED);
    EXPECT_FALSE(walking());
}

TEST_F(Play, WalkingFramesComeEveryFifthTickFromEntryOne)
{
    load({"#############", "#@----------#"});
    state.fidget.sequence_count = 3;
    const uint16_t walking_frames[] = {40, 41, 42, FIDGET_END};
    std::copy(std::begin(walking_frames), std::end(walking_frames), state.fidget.sequences[2]);
    click(11, 1, EVENT_FLAG_SHIFT);
    std::vector<int> frames;
    for (int i = 0; i < 16; ++i) {
        advance_ms(state, 50);
        frames.push_back(state.walk_frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 0, 0}));
    EXPECT_EQ(state.play_board.moves, 10); // steps stop at the wall; the frames go on
    click(1, 1);                           // clears the sticky walk
    send(EVENT_BUTTON, CODE_LEFT_UP);
    click(1, 1); // a new walk starts its animation afresh
    EXPECT_EQ(std::make_pair(state.walk_frame, state.walk_ticks), (std::pair<int16_t, int32_t>(0, 0)));

    // The driver the tools use: a walk to a cell, then the release.
    load({"#######", "#-----#", "#--#--#", "#--@--#"});
    EXPECT_EQ(walk_to_cell(state, 3, 1, 100), 4);
    EXPECT_EQ(player(), std::make_pair(3, 1));
    EXPECT_FALSE(walking());
    EXPECT_EQ(walk_to_cell(state, 3, 1, 100), 0);
    EXPECT_EQ(walk_to_cell(state, 5, 3, 1), -1); // cut off after one step
    EXPECT_EQ(player(), std::make_pair(4, 1));
    EXPECT_FALSE(walking());
}

TEST_F(Play, AnyKeyOrLeftClickOnAScreenOnlyLeavesIt)
{
    load({"########", "#@-$-.-#", "#------#", "########"});
    const std::pair<int32_t, int32_t> leaving[] = {
        {EVENT_KEY, CODE_RIGHT}, {EVENT_KEY, CODE_OTHER_KEY}, {EVENT_BUTTON, CODE_LEFT_DOWN}};
    for (int32_t mode : {MODE_SOLVED, MODE_HELP, MODE_FINALE})
        for (auto [type, code] : leaving) {
            state.mode = mode;
            state.draw.last_reveal = 0;
            state.fidget.state = 4;
            offscreen().calls.clear();
            send(type, code);
            EXPECT_EQ(state.mode, MODE_PLAY) << mode << " " << code;
            EXPECT_EQ(state.play_board.player_x, 1) << "the event acted in mode " << mode;
            EXPECT_EQ(state.walk_timer, nullptr);
            EXPECT_NE(state.draw.last_reveal, 0); // back to play in a random order
            EXPECT_EQ(titles(), Picture{"Zandrek - Level 7"});
            EXPECT_EQ(state.fidget.state, 0);
            EXPECT_EQ(count(CALL_FILL), 1u);
        }
    state.mode = MODE_HELP; // nothing else ends a screen, and undo needs play
    const std::pair<int32_t, int32_t> staying[] = {{EVENT_BUTTON, CODE_RIGHT_DOWN}, {EVENT_MOTION, CODE_MOUSE_MOVED},
                                                   {EVENT_BUTTON, CODE_LEFT_UP},    {EVENT_KEY_UP, CODE_KEY_RELEASED},
                                                   {EVENT_BUTTON, CODE_RIGHT_UP},   {EVENT_BUTTON, CODE_RIGHT}};
    for (auto [type, code] : staying)
        send(type, code);
    EXPECT_EQ(state.mode, MODE_HELP);

    // After the last level: the closing text, the finale, then play again.
    state.mode = MODE_ALL_DONE;
    state.finale_seen = 0;
    for (int32_t next : {MODE_DONE_TEXT, MODE_FINALE, MODE_PLAY}) {
        EXPECT_EQ(state.finale_seen, 0);
        press(state, CODE_OTHER_KEY);
        EXPECT_EQ(state.mode, next);
    }
    EXPECT_EQ(state.finale_seen, 1);
    state.mode = 99; // no such screen: play again
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

TEST_F(Play, KeysInPlay)
{
    load({"########", "#@-$-.-#", "#------#", "########"});
    make_player(state, "Anne");
    for (int32_t code : {CODE_L, CODE_J, CODE_H, CODE_K})
        press(state, code);
    EXPECT_EQ(state.play_board.moves, 4);
    EXPECT_EQ(player(), std::make_pair(1, 1));
    offscreen().calls.clear();
    for (int32_t code : std::initializer_list<int32_t>{2, 7, 10, CODE_F8, CODE_F9, CODE_M, CODE_W, CODE_OTHER_KEY,
                                                       CODE_KEY_RELEASED, 42, 49, 60, -1, 64, 1000})
        press(state, code);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.play_board.moves, 4);
    EXPECT_TRUE(offscreen().calls.empty());

    for (int32_t code : {CODE_ESCAPE, CODE_F1, CODE_SLASH, CODE_A}) {
        state.mode = MODE_PLAY;
        press(state, code);
        EXPECT_EQ(state.mode, MODE_HELP);
    }
    EXPECT_EQ(count(CALL_BOX), 1u); // the about box

    offscreen().calls.clear();
    state.mode = MODE_PLAY;
    state.max_level = 1;
    press(state, CODE_G);
    EXPECT_EQ(box_texts(), Picture{"Sorry, you haven't solved\nthe first level yet."});
    EXPECT_EQ(offscreen_calls_of(CALL_BOX)[0]->a, BOX_WARN);
    EXPECT_EQ(sounds_played(), (std::vector<int>{SPEECH_REFUSED}));
    press(state, CODE_QUESTION);
    ASSERT_EQ(count(CALL_OPEN_URL), 1u);
    EXPECT_EQ(offscreen_calls_of(CALL_OPEN_URL)[0]->text, "C:\\zandrek\\zandhelp.html");

    // E re-phases both game timers, the message-line timer first.
    state.fidget_timer = std::make_unique<Periodic_timer>(
        state, 0, 300000, [](Game_state&, uint32_t) {}, 0);
    state.msgline_timer = std::make_unique<Periodic_timer>(
        state, 5, 0, [](Game_state&, uint32_t) {}, 0);
    offscreen().calls.clear();
    press(state, CODE_E);
    auto armed = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(armed.size(), 2u);
    EXPECT_EQ(std::make_pair(armed[0]->b, armed[1]->b), (std::pair<int64_t, int64_t>(5000, 300)));
    EXPECT_EQ(offscreen().timers.size(), 2u);
}

TEST_F(Play, RepaintDrawsWhatEachModeShows)
{
    load({"########", "#@-$-.-#", "#------#", "########"});
    make_player(state, "Anne");
    // Mode, screen board, texts drawn, whether in a random order.
    const int repaints[][4] = {{MODE_PLAY, BOARD_HELP, 0, 1},        {MODE_TITLE, BOARD_TITLE, 0, 0},
                               {MODE_SOLVED, BOARD_HELP, 10, 1},     {MODE_HELP, BOARD_HELP, 22, 1},
                               {MODE_HELP, BOARD_ABOUT, 0, 1},       {MODE_ALL_DONE, BOARD_HELP, 10, 1},
                               {MODE_DONE_TEXT, BOARD_BLANK, 10, 1}, {MODE_FINALE, BOARD_FINALE, 0, 0}};
    for (const auto& r : repaints) {
        state.mode = r[0];
        state.screen_board = state.play_board;
        state.screen_board.number = static_cast<int16_t>(r[1]);
        state.fidget.state = 4;
        state.draw.last_reveal = 0;
        offscreen().calls.clear();
        send(EVENT_PAINT, CODE_PAINT);
        EXPECT_EQ(std::vector<size_t>(
                      {count(CALL_BLIT), count(CALL_TEXT), count(CALL_FILL) + count(CALL_TITLE) + count(CALL_BOX)}),
                  std::vector<size_t>({FIELD_MAX_CELLS, size_t(r[2]), 0}))
            << r[0] << " " << r[1];
        EXPECT_EQ(std::vector<int>({state.draw.last_reveal != 0, state.mode, state.fidget.state, state.fidget.wait}),
                  std::vector<int>({r[3], r[0], 0, 3}));
    }
}

TEST_F(Play, DeveloperKeysWorkOnlyForTheDeveloperPlayer)
{
    load({"########", "#@-$-.-#", "#------#", "########"});
    make_player(state, "quillbarrow");
    for (int32_t code : {CODE_F8, CODE_B, CODE_C, CODE_D, CODE_F, CODE_S, CODE_T, CODE_V, CODE_X})
        press(state, code);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_TRUE(offscreen().calls.empty());
    std::strcpy(state.current_player->name, "Quillbarrow");
    press(state, CODE_V);
    EXPECT_EQ(state.mode, MODE_FINALE);
    state.mode = MODE_PLAY;
    press(state, CODE_B);
    EXPECT_EQ(state.mode, MODE_DONE_TEXT);
    Pack_info pack;
    state.pack = &pack;
    state.mode = MODE_PLAY;
    press(state, CODE_X);
    EXPECT_EQ(state.pack, nullptr);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

// Random events of any shape on random boards: the dispatcher never reads or
// writes outside a board, and the board stays a board: one player, every
// treasure kept, the banked count right. A one-level pack keeps every level
// change on the level.
TEST_F(Play, RandomEventsKeepTheBoardABoard)
{
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> pick(0, 99), any(INT32_MIN, INT32_MAX);
    auto value = [&](int small) { return pick(rng) < 25 ? any(rng) : small; };
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    offscreen().recording = false;
    for (int round = 0; round < 60; ++round) {
        Picture layout(3 + pick(rng) % 14, std::string(3 + pick(rng) % 18, '-'));
        for (std::string& row : layout)
            for (char& ch : row)
                ch = "#####$$$..*-------"[pick(rng) % 18];
        layout[pick(rng) % layout.size()][pick(rng) % layout[0].size()] = pick(rng) < 50 ? '@' : '+';
        load(layout);
        state.pack = &pack;
        pack.current_level = pack.levels.get();
        const int treasures = state.play_board.treasures;
        for (int step = 0; step < 300; ++step) {
            const Game_event e{value(pick(rng) % 7), value(pick(rng) % 74 - 3), value(pick(rng) % 4),
                               value(pick(rng) * 10 - 30), value(pick(rng) * 10 - 30)};
            handle_event(state, e);
            advance_ms(state, 50);
            std::vector<int> census(3); // players, treasures, banked treasures
            for (int i = 0; i < FIELD_MAX_CELLS; ++i) {
                const Field_cell& cell = state.play_board.cells[i];
                census[0] += cell.content == KIND_PLAYER;
                census[1] += is_treasure_kind(cell.content);
                census[2] += is_treasure_kind(cell.content) && cell.floor == KIND_BANK;
            }
            ASSERT_EQ(census, (std::vector<int>{1, treasures, state.play_board.banked}))
                << "round " << round << " step " << step << " event " << e.type << "," << e.code;
        }
    }
}

} // namespace
