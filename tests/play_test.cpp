// Playing a board through handle_event: steps, pushes, undo, walking with the mouse, each event in
// each mode, and the developer player's move log with its playbacks and the tile dump.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "engine/click_to_move.h"
#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "engine/move_rules.h"
#include "map_fixture.h"

namespace
{

namespace fs = std::filesystem;

using Picture = std::vector<std::string>;
using Trail = std::vector<std::pair<int, int>>;

class Play : public ::testing::Test
{
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
    // The play board drawn back in the layout legend, in the shape of `like`.
    Picture picture(const Picture& like) const
    {
        Picture out(like.size());
        for (size_t r = 0; r < like.size(); ++r)
            for (size_t c = 0; c < like[r].size(); ++c) {
                const Field_cell& cell = state.play_board.cells[r * state.play_board.columns + c];
                const char* legend = cell.content == KIND_PLAYER ? "@+" : is_treasure_kind(cell.content) ? "$*" : "-.";
                out[r] += cell.floor == KIND_WALL ? '#' : legend[cell.floor == KIND_BANK];
            }
        return out;
    }
    void point_at(int c, int r) { cell_pointer(state, c, r, &state.last_pointer_x, &state.last_pointer_y); }
    void send(int32_t type, int32_t code, int32_t flags = 0)
    {
        handle_event(state, Game_event{type, code, flags, state.last_pointer_x, state.last_pointer_y});
    }
    void click(int c, int r, int32_t flags = 0)
    {
        point_at(c, r);
        send(EVENT_BUTTON, CODE_LEFT_DOWN, flags);
    }
    // Where the player stands after each of `ticks` walk ticks.
    Trail trail(int ticks)
    {
        Trail out;
        for (int i = 0; i < ticks; ++i, out.push_back(player()))
            advance_ms(state, 50);
        return out;
    }
    std::pair<int, int> player() const { return {state.play_board.player_x, state.play_board.player_y}; }
    // After `ticks` walk ticks: "column,row moves/pushes mode M" and " walking" while the walk timer runs.
    std::string now(int ticks = 0)
    {
        trail(ticks);
        const Field_info& b = state.play_board;
        return std::to_string(b.player_x) + "," + std::to_string(b.player_y) + " " + std::to_string(b.moves) + "/" +
               std::to_string(b.pushes) + " mode " + std::to_string(state.mode) +
               (state.walk_timer && state.walk_timer->running() ? " walking" : "");
    }
    size_t count(Call_kind kind) { return offscreen_calls_of(kind).size(); }
    // now(), then each box (its kind and first line), sound, page opened and timer set; the record is cleared.
    std::string effects()
    {
        std::string out = now();
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX) out += ", box " + std::to_string(c.a) + " " + c.text.substr(0, c.text.find('\n'));
            if (c.kind == CALL_WAVE_WRITE) out += ", sound " + std::to_string(c.bytes.at(0));
            if (c.kind == CALL_OPEN_URL) out += ", url " + c.text;
            if (c.kind == CALL_SET_TIMER) out += ", timer " + std::to_string(c.b);
        }
        offscreen().calls.clear();
        return out;
    }

    Game_state state;
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
        {"walls and a second treasure block", {"#######", "#@$$-.#"}, ">^", {"#######", "#@$$-.#"}, 0, 0, 0, {}},
        {"the grid's edge blocks, its first cell does not", {"@-$"}, "^<><", {"@-$"}, 2, 0, 0, {8, 8}},
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
        {"all banked at the start: solved only after a push", {"########", "#@-*.--#"}, ">>", {"########", "#--+*--#"}, 2, 1, 1, {8, 9, 22}, MODE_SOLVED},
        {"pushed off its bank: not solved", {"########", "#@*-.*-#"}, ">", {"########", "#-+$.*-#"}, 1, 1, 1, {9}},
        {"player on a bank", {"######", "#+$.-#"}, ">", {"######", "#.@*-#"}, 1, 1, 1, {9, 21, 22}, MODE_SOLVED},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        press_keys(state, c.keys);
        EXPECT_EQ(picture(c.after), c.after);
        EXPECT_EQ(
            std::vector<int>({state.play_board.moves, state.play_board.pushes, state.play_board.banked, state.mode}),
            std::vector<int>({c.moves, c.pushes, c.banked, c.mode}));
        EXPECT_EQ(sounds_played(), c.sounds);
    }
}

TEST_F(Play, APushRedrawsTheTreasureCellsThenThePlayers)
{
    load({"#######", "#@$-.-#", "#######"});
    press_keys(state, ">");
    std::vector<int64_t> xs;
    for (const Platform_call* blit : offscreen_calls_of(CALL_BLIT))
        xs.push_back(blit->a);
    EXPECT_EQ(xs, (std::vector<int64_t>{64, 96, 32, 64}));
}

TEST_F(Play, AMoveStopsTheIdleAnimation)
{
    load({"#######", "#@$-.-#", "#######"});
    set_fidget_state(state, 4);
    press_keys(state, ">");
    EXPECT_EQ(fidget_state(state), 0);
}

TEST_F(Play, CellsLeftAndReachedTakeTheirKindsTiles)
{
    load({"#######", "#@$-.-#", "#######"});
    press_keys(state, ">>");
    const Field_info& b = state.play_board;
    EXPECT_EQ(std::make_tuple(b.cells[22].tile, b.cells[24].tile, b.cells[24].content),
              std::make_tuple(b.kind_tiles[KIND_FLOOR], b.kind_tiles[KIND_BANKED_TREASURE], KIND_BANKED_TREASURE));
}

TEST_F(Play, AFloorKindNoTileStandsForDrawsTileZero)
{
    load({"####", "#@-#"});
    state.play_board.cells[21].floor = 6; // as a damaged map can give
    press_keys(state, ">");
    EXPECT_EQ(state.play_board.cells[21].tile, 0);
}

TEST_F(Play, ATreasureStartingOnABankStaysPlainTillPushedOntoOne)
{
    load({"#######", "#@*-*.#"});
    const Field_info& b = state.play_board;
    EXPECT_EQ(std::make_tuple(b.banked, b.cells[22].content), std::make_tuple(2, int{KIND_TREASURE}));
    press_keys(state, ">");
    EXPECT_EQ(b.cells[23].content, KIND_TREASURE);
}

TEST_F(Play, RestartRevealsTheBoardAgainFromTheStart)
{
    load({"#######", "#@*-*.#"});
    press_keys(state, ">");
    set_last_reveal(state, 5);
    set_fidget_state(state, 4);
    press_keys(state, "r");
    EXPECT_EQ(std::make_tuple(last_reveal(state), fidget_state(state)), std::make_tuple(0, 0));
    EXPECT_EQ(titles(), Picture{"Zandrek - Level 7"});
}

TEST_F(Play, ThePlayersTileFollowsItsFacingAndStep)
{
    load({"####", "#@-#"});
    for (int slot = 0; slot < 14; ++slot)
        state.tile_info.slots_14_to_27[slot] = static_cast<uint16_t>(114 + slot);
    struct Case {
        const char* facing;
        int dir, column, slot;
    };
    const Case cases[] = {{"none", DIR_NONE, 1, 14},
                          {"up", DIR_UP, 1, 17},
                          {"up, odd step", DIR_UP, 2, 23},
                          {"down", DIR_DOWN, 1, 15},
                          {"down, odd step", DIR_DOWN, 2, 20},
                          {"left", DIR_LEFT, 1, 14},
                          {"right, odd step", DIR_RIGHT, 2, 21},
                          {"backing up", DIR_BACK_UP, 1, 23},
                          {"backing down", DIR_BACK_DOWN, 1, 24},
                          {"backing left", DIR_BACK_LEFT, 1, 15},
                          {"backing right", DIR_BACK_RIGHT, 1, 20},
                          {"no such facing", 8, 1, -100}};
    for (const Case& c : cases)
        EXPECT_EQ(player_tile_for(state, c.dir, make_cell_pos(1, c.column)), 100 + c.slot) << c.facing;
}

TEST_F(Play, BackingFacesAwayFromTheCellLeft)
{
    const int rows[][3] = {{21, 22, DIR_BACK_RIGHT},
                           {22, 21, DIR_BACK_LEFT},
                           {21, 41, DIR_BACK_DOWN},
                           {41, 21, DIR_BACK_UP},
                           {21, 21, DIR_NONE}};
    for (const auto& r : rows)
        EXPECT_EQ(backing_dir(r[0], r[1], 20), r[2]) << "from " << r[0] << " to " << r[1];
}

TEST_F(Play, AnUndonePushShowsThePlayerBackingOff)
{
    load({"######", "#-$@-#", "######"});
    for (int slot = 0; slot < 14; ++slot)
        state.tile_info.slots_14_to_27[slot] = static_cast<uint16_t>(114 + slot);
    press_keys(state, "<u");
    EXPECT_EQ(state.play_board.cells[23].tile, 120);
}

TEST_F(Play, ACellIsCorneredByTwoWallsAtRightAngles)
{
    load({"#####", "#$$-#", "#-.-#", "#####"});
    const std::pair<int, bool> cells[] = {{21, true}, {22, false}, {42, false}, {43, true}, {23, true}, {41, true}};
    for (auto [index, cornered] : cells)
        EXPECT_EQ(is_cornered(state.play_board, index), cornered) << "cell " << index;
}

TEST_F(Play, TheMoveTestNamesWhatLiesInEachDirection)
{
    load({"#####", "#$$-#", "#-.-#", "#####"});
    struct Case {
        const char* what;
        int column, row, dir, expected;
    };
    const Case cases[] = {{"right into the wall", 3, 2, DIR_RIGHT, MOVE_WALL},
                          {"left onto the bank", 3, 2, DIR_LEFT, MOVE_FREE},
                          {"left onto a treasure", 3, 1, DIR_LEFT, MOVE_OCCUPIED}};
    std::pair<int, Cell_pos> to;
    for (const Case& c : cases)
        EXPECT_EQ(test_move(state.play_board, make_cell_pos(c.column, c.row), c.dir, &to.second, &to.first), c.expected)
            << c.what;
    EXPECT_EQ(to, std::make_pair(22, make_cell_pos(2, 1)));
}

TEST_F(Play, TheMoveTestRefusesABogusDirectionWithABox)
{
    load({"#####", "#$$-#", "#-.-#", "#####"});
    Cell_pos to_pos{};
    int to_index = 0;
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(1, 1), 4, &to_pos, &to_index), MOVE_WALL);
    EXPECT_EQ(test_move(state.play_board, make_cell_pos(1, 1), -1, &to_pos, &to_index), MOVE_WALL);
    EXPECT_EQ(box_texts(), Picture({"bogus move dir (4) in test_move", "bogus move dir (-1) in test_move"}));
    EXPECT_EQ(offscreen_calls_of(CALL_BOX).at(0)->a, BOX_ERROR);
}

TEST_F(Play, PointerMapsToCellsAtEveryMagnification)
{
    load({"#####", "#@--#", "#####"});
    for (int m = 1; m <= 4; ++m) {
        state.magnify = m;
        const int w = 16 * m, h = 12 * m; // less than a cell off the window still counts as the first
        const int cases[][4] = {{0, 0, 0, 0},      {w - 1, h - 1, 0, 0}, {w, h, 1, 1}, {5 * w + w / 2, 3 * h, 5, 3},
                                {-1, 1 - h, 0, 0}, {-w, -h, -1, -1}};
        for (const auto& c : cases) {
            state.last_pointer_x = c[0], state.last_pointer_y = c[1];
            EXPECT_EQ(pointer_cell(state), make_cell_pos(c[2], c[3])) << "magnify " << m << " at " << c[0];
        }
        point_at(7, 4);
        EXPECT_EQ(std::make_pair(state.last_pointer_x, state.last_pointer_y),
                  std::make_pair(7 * w + w / 2, 4 * h + h / 2));
    }
    state.magnify = 1; // tile sizes from a damaged map: none, one enormous tile, rows past what a position holds
    const int64_t damaged[][6] = {{0, 12, 0, 0, -1, -1},        {-16, 12, 0, 0, -1, -1},
                                  {1 << 30, 12, 96, 0, 0, 0},   {1, 1, 5, 7, 5, 7},
                                  {16, 1, 0, 70000, -1, -1},    {1, 1, 32767, 32767, 32767, 32767},
                                  {16, 1, 0, -32768, 0, -32768}};
    for (const auto& d : damaged) {
        state.tile_info.width = int32_t(d[0]), state.tile_info.height = int32_t(d[1]);
        state.last_pointer_x = int32_t(d[2]), state.last_pointer_y = int32_t(d[3]);
        EXPECT_EQ(pointer_cell(state), make_cell_pos(int(d[4]), int(d[5]))) << d[0] << " " << d[3];
    }
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
    load({"########", "#@$$---#", "#$######", "#-#", "#$#", "###"});
    EXPECT_EQ(straight_step(state, make_cell_pos(6, 1), make_cell_pos(1, 1)), STEP_NONE); // two treasures in a row
    EXPECT_EQ(straight_step(state, make_cell_pos(1, 4), make_cell_pos(1, 1)), DIR_DOWN);

    // Shortest paths over free cells: ties go newest first, then up, down, left, right.
    load({"#######", "#-----#", "#-----#", "#--@--#", "#-----#", "#-----#", "#######"});
    const int path[][3] = {{4, 4, DIR_RIGHT},   {2, 2, DIR_LEFT},  {4, 2, DIR_RIGHT}, {2, 4, DIR_LEFT},
                           {3, 1, DIR_UP},      {3, 5, DIR_DOWN},  {1, 3, DIR_LEFT},  {5, 1, DIR_RIGHT},
                           {1, 5, DIR_LEFT},    {3, 3, STEP_NONE}, {0, 0, STEP_NONE}, {-1, 3, STEP_NONE},
                           {25, 30, STEP_NONE}, {3, -1, STEP_NONE}};
    for (const auto& t : path) // the list search is held to the same steps below
        EXPECT_EQ(path_step(state, make_cell_pos(t[0], t[1]), make_cell_pos(3, 3)), t[2]) << t[0] << "," << t[1];
    load({"#######", "#-----#", "#-----#", "#--@--#"});
    state.play_board.rows = state.play_board.columns = 1000; // a damaged map's claim: the list search
    EXPECT_EQ(path_step(state, make_cell_pos(24, 0), make_cell_pos(23, 0)), DIR_RIGHT);

    std::mt19937 random(20261206); // the fast search must take the very step the list search takes, ties and all
    for (int board_no = 0; board_no < 15; ++board_no) {
        Picture rows(LEVEL_ROWS, std::string(LEVEL_COLS, '-'));
        for (int r = 0; r < LEVEL_ROWS; ++r) // free cells on the edges too
            for (int c = 0; c < LEVEL_COLS; ++c) {
                int roll = static_cast<int>(random() % 100) - board_no % 5 * 10;
                rows[r][c] = board_no == 0 ? '-' : roll < 10 ? '#' : roll < 18 ? '$' : roll < 22 ? '.' : '-';
            }
        const int sx = static_cast<int>(random() % LEVEL_COLS), sy = static_cast<int>(random() % LEVEL_ROWS);
        rows[sy][sx] = '@', load(rows);
        for (int r = -1; r <= LEVEL_ROWS; ++r)
            for (int c = -1; c <= LEVEL_COLS; ++c)
                ASSERT_EQ(path_step(state, make_cell_pos(c, r), make_cell_pos(sx, sy)),
                          path_step_scan(state, make_cell_pos(c, r), make_cell_pos(sx, sy)))
                    << "board " << board_no << " target " << c << "," << r;
    }
}

TEST_F(Play, ThePointerLeadsTheWalkUntilReleaseUndoSolvingOrAScreen)
{
    load({"##########", "#@-------#", "#--------#", "#--------#", "##########"});
    click(8, 1);
    EXPECT_EQ(trail(3), (Trail{{2, 1}, {3, 1}, {4, 1}}));
    point_at(4, 3), send(EVENT_MOTION, CODE_MOUSE_MOVED);
    EXPECT_EQ(trail(3), (Trail{{4, 2}, {4, 3}, {4, 3}}));
    point_at(0, 3), state.last_pointer_x = -3; // a wall in line, just left of the window: approached until blocked
    EXPECT_EQ(trail(4), (Trail{{3, 3}, {2, 3}, {1, 3}, {1, 3}}));
    state.last_pointer_x = 25 * 32; // far right of the window: off the grid
    EXPECT_EQ(now(2), "1,3 8/0 mode 0 walking");
    point_at(3, 1); // out of line after the approach: by the path again
    EXPECT_EQ(now(6), "3,1 12/0 mode 0 walking");
    send(EVENT_BUTTON, CODE_LEFT_UP);

    load({"#########", "#-------#", "#@--$---#", "#-------#"});
    click(0, 0), point_at(6, 2); // a wall out of line: no step; the pointer moved on leads by straight steps first
    EXPECT_EQ(now(12), "6,2 5/3 mode 0 walking");
    send(EVENT_BUTTON, CODE_LEFT_UP);

    load({"##########", "#@-------#", "##########"});
    click(8, 1, EVENT_FLAG_SHIFT), send(EVENT_BUTTON, CODE_LEFT_UP); // a shift walk outlives the release
    EXPECT_EQ(trail(2), (Trail{{2, 1}, {3, 1}}));
    send(EVENT_BUTTON, CODE_LEFT_DOWN); // only clears the sticky walk
    EXPECT_EQ(trail(1), (Trail{{4, 1}}));
    send(EVENT_BUTTON, CODE_LEFT_UP);
    EXPECT_EQ(now(2), "4,1 3/0 mode 0");
    auto cursors = offscreen_calls_of(CALL_CURSOR);
    ASSERT_EQ(cursors.size(), 2u);
    EXPECT_EQ(std::make_pair(cursors[0]->a, cursors[1]->a), (std::pair<int64_t, int64_t>(CURSOR_CROSS, CURSOR_ARROW)));
    click(8, 1), trail(1); // a screen ends the walk at the next tick, and a click on a screen starts none
    press(state, CODE_A), trail(1);
    EXPECT_TRUE(offscreen().timers.empty());
    click(8, 1);
    EXPECT_EQ(now(), "5,1 4/0 mode 0");

    load({"#######", "#@-$-.#"});
    click(5, 1, EVENT_FLAG_SHIFT), trail(2);
    send(EVENT_BUTTON, CODE_RIGHT_UP); // the right button's undo ends even a shift walk
    EXPECT_EQ(now(), "2,1 4/2 mode 0");
    send(EVENT_BUTTON, CODE_LEFT_DOWN);
    EXPECT_EQ(now(4), "4,1 6/4 mode 2");
}

TEST_F(Play, WalkingFramesComeEveryFifthTickFromEntryOne)
{
    const uint16_t walking_frames[] = {40, 41, 42, FIDGET_END};
    for (int16_t sequences : {1, FIDGET_SEQUENCES, 0}) { // the walking sequence is the last; none, none shown
        load({"#############", "#@----------#"}), state.fidget.sequence_count = sequences;
        std::copy(std::begin(walking_frames), std::end(walking_frames),
                  state.fidget.sequences[sequences ? sequences - 1 : 0]);
        click(11, 1, EVENT_FLAG_SHIFT);
        std::vector<int> frames;
        for (int i = 0; i < 16; ++i, frames.push_back(state.walk_frame))
            advance_ms(state, 50);
        const std::vector<int> shown = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 0, 0};
        EXPECT_EQ(frames, sequences ? shown : std::vector<int>(16));
        offscreen().calls.clear(), advance_ms(state, 5 * 50); // steps stop at the wall; the frames go on and are drawn
        EXPECT_EQ(std::make_pair(state.play_board.moves, count(CALL_BLIT)),
                  (std::pair<uint16_t, size_t>(10, sequences ? 1 : 0)));
    }
    click(1, 1), send(EVENT_BUTTON, CODE_LEFT_UP); // clears the sticky walk
    click(1, 1);                                   // a new walk starts its animation afresh
    EXPECT_EQ(std::make_pair(state.walk_frame, state.walk_ticks), (std::pair<int16_t, int32_t>(0, 0)));

    load({"#######", "#-----#", "#--#--#", "#--@--#"}); // the tools' driver: a walk to a cell, then the release
    EXPECT_EQ(walk_to_cell(state, 3, 1, 100), 4);
    EXPECT_EQ(walk_to_cell(state, 3, 1, 100), 0);
    EXPECT_EQ(walk_to_cell(state, 5, 3, 1), -1); // cut off after one step
    EXPECT_EQ(now(), "4,1 5/0 mode 0");
}

TEST_F(Play, KeysInPlayRepaintsAndLeavingAScreenByAnyKeyOrLeftClick)
{
    load({"########", "#@-$-.-#", "#------#", "########"});
    make_player(state, "Anne"), state.max_level = 1;
    for (int32_t code : std::initializer_list<int32_t>{2, 7, 10, CODE_F8, CODE_F9, CODE_M, CODE_W, CODE_OTHER_KEY,
                                                       CODE_KEY_RELEASED, 42, 49, 60, -1, 64, 1000})
        press(state, code);
    EXPECT_EQ(now() + std::to_string(offscreen().calls.size()), "1,1 0/0 mode 00");
    auto idle = [](Game_state&, uint32_t) {};
    state.fidget_timer = std::make_unique<Periodic_timer>(state, 0, 300000, idle, 0);
    state.msgline_timer = std::make_unique<Periodic_timer>(state, 5, 0, idle, 0), offscreen().calls.clear();
    const std::pair<int32_t, std::string> keys[] = {
        {CODE_ESCAPE, "1,1 0/0 mode 3, sound 0"},
        {CODE_F1, "1,1 0/0 mode 3, sound 0"},
        {CODE_SLASH, "1,1 0/0 mode 3, sound 0"},
        {CODE_A, "1,1 0/0 mode 3, sound 0, box 1 Zandrek Version 4.0"},
        {CODE_G, "1,1 0/0 mode 0, sound 14, box 2 Sorry, you haven't solved"},
        {CODE_QUESTION, "1,1 0/0 mode 0, url C:\\zandrek\\zandhelp.html"},
        {CODE_E, "1,1 0/0 mode 0, timer 5000, timer 300"}};
    for (const auto& [code, effect] : keys) {
        state.mode = MODE_PLAY, press(state, code);
        EXPECT_EQ(effects(), effect);
    }

    const std::pair<int32_t, int32_t> ends[] = {
        {EVENT_KEY, CODE_RIGHT}, {EVENT_KEY, CODE_OTHER_KEY}, {EVENT_BUTTON, CODE_LEFT_DOWN}};
    for (int32_t mode : {MODE_SOLVED, MODE_HELP, MODE_FINALE})
        for (auto [type, code] : ends) {
            state.mode = mode;
            set_last_reveal(state, 0);
            set_fidget_state(state, 4);
            state.board_shown = 0;
            offscreen().calls.clear();
            send(type, code);
            EXPECT_EQ(now(), "1,1 0/0 mode 0") << mode << " " << code; // back to play, the event not acted on
            EXPECT_EQ(std::vector<int>(
                          {last_reveal(state) != 0, fidget_state(state), int(count(CALL_FILL)), state.board_shown}),
                      std::vector<int>({1, 0, 1, 1})); // redrawn afresh in a random order
            EXPECT_EQ(titles(), Picture{"Zandrek - Level 7"});
        }
    click(2, 1), state.mode = MODE_HELP; // nothing else ends a screen, undo needs play, and a walk stops
    const std::pair<int32_t, int32_t> others[] = {{EVENT_MOTION, CODE_LEFT_DOWN},    {EVENT_BUTTON, CODE_RIGHT_DOWN},
                                                  {EVENT_MOTION, CODE_MOUSE_MOVED},  {EVENT_BUTTON, CODE_LEFT_UP},
                                                  {EVENT_KEY_UP, CODE_KEY_RELEASED}, {EVENT_BUTTON, CODE_RIGHT_UP},
                                                  {EVENT_BUTTON, CODE_RIGHT}};
    for (auto [type, code] : others) {
        send(type, code);
        EXPECT_EQ(now(), "1,1 0/0 mode 3") << code;
    }

    state.mode = MODE_ALL_DONE, state.finale_seen = 0; // after the last level: closing text, finale, play
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        press(state, CODE_OTHER_KEY);
        seen.insert(seen.end(), {state.mode, state.finale_seen});
    }
    state.mode = 99; // no such screen: play again
    press(state, CODE_OTHER_KEY), seen.push_back(state.mode);
    EXPECT_EQ(seen, std::vector<int>({MODE_DONE_TEXT, 0, MODE_FINALE, 0, MODE_PLAY, 1, MODE_PLAY}));

    // Mode, screen board, texts drawn, whether in a random order.
    const int repaints[][4] = {{MODE_PLAY, BOARD_HELP, 0, 1},        {MODE_TITLE, BOARD_TITLE, 0, 0},
                               {MODE_SOLVED, BOARD_HELP, 10, 1},     {MODE_HELP, BOARD_HELP, 22, 1},
                               {MODE_HELP, BOARD_ABOUT, 0, 1},       {MODE_ALL_DONE, BOARD_HELP, 10, 1},
                               {MODE_DONE_TEXT, BOARD_BLANK, 10, 1}, {MODE_FINALE, BOARD_FINALE, 0, 0}};
    for (const auto& r : repaints) {
        state.mode = r[0], state.screen_board = state.play_board, state.screen_board.number = int16_t(r[1]);
        set_fidget_state(state, 4);
        set_last_reveal(state, 0);
        offscreen().calls.clear();
        send(EVENT_PAINT, CODE_PAINT);
        EXPECT_EQ(std::vector<size_t>(
                      {count(CALL_BLIT), count(CALL_TEXT), count(CALL_FILL) + count(CALL_TITLE) + count(CALL_BOX)}),
                  std::vector<size_t>({FIELD_MAX_CELLS, size_t(r[2]), 0}))
            << r[0] << " " << r[1];
        EXPECT_EQ(std::vector<int>({last_reveal(state) != 0, state.mode, fidget_state(state), state.fidget.wait}),
                  std::vector<int>({r[3], r[0], 0, 3}));
    }
}

const std::vector<std::string> ROOM = {"#########", "#-------#", "#-------#", "#---@---#", "#-------#", "#########"};

// The log lives in the current directory, so every test runs in a fresh one.
class Move_log : public Play
{
  protected:
    void SetUp() override
    {
        Play::SetUp();
        home = fs::current_path(), dir = temp_path("move_log");
        fs::create_directories(dir), fs::current_path(dir);
        state.move_log.echo = echo = std::fopen("echo.txt", "w+b");
        make_player(state, "Quillbarrow"), load(ROOM);
    }
    void TearDown() override
    {
        close_move_log(state), std::fclose(echo), fs::current_path(home);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string file_text(const char* path)
    {
        std::fflush(echo);
        const std::vector<uint8_t> bytes = file_bytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    fs::path home;
    std::string dir;
    FILE* echo = nullptr;
};

TEST_F(Move_log, F9RecordsEveryLoggedCommandAndDeveloperKeysWorkForTheDeveloperOnly)
{
    press(state, CODE_F9);
    for (int32_t code : {CODE_UP, CODE_H, CODE_J, CODE_K, CODE_L})
        press(state, code);
    EXPECT_EQ(player(), std::make_pair(4, 2)); // back where the first step led
    for (int32_t code : {CODE_BACKSPACE, CODE_DELETE, CODE_U, CODE_R})
        press(state, code);
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_A); // the about screen: the right button's undo still logs
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    for (int32_t code :
         {CODE_ESCAPE, CODE_F1, CODE_SLASH, CODE_QUESTION, CODE_A, CODE_E, CODE_G, CODE_N, CODE_P, CODE_OTHER_KEY,
          CODE_PAINT, CODE_LEFT_DOWN, CODE_LEFT_UP, CODE_B, CODE_C, CODE_S, CODE_V, CODE_X})
        handle_event(state, Game_event{EVENT_MOTION, code, 0, 0, 0}); // whatever else they do, they are not logged
    state.mode = MODE_PLAY, press(state, CODE_F9);
    EXPECT_EQ(titles().front(), "Zandmove.txt opened.");
    EXPECT_EQ(titles().back(), "Zandmove.txt closed.");
    EXPECT_EQ(file_text("Zandmove.txt"), "^<v^>uuuruu");

    press(state, CODE_F9, 2); // opening again replaces the earlier log
    EXPECT_EQ(file_text("Zandmove.txt"), "");
    EXPECT_EQ(file_text("echo.txt"), "^<v^>uuuruu");

    offscreen().calls.clear(), fs::remove("Zandmove.txt"), fs::create_directory("Zandmove.txt");
    press(state, CODE_F9); // a log that cannot be created stays closed and leaves the title
    EXPECT_EQ(state.move_log.log, nullptr);
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(open_move_log(state, "Zandmove.txt"), -1);
    {
        Game_state ending; // a log still open when the game ends is closed whole
        ASSERT_EQ(open_move_log(ending, "ending.txt"), 0);
        ending.move_log.echo = nullptr;
        log_move_char(ending, 'r');
    }
    EXPECT_EQ(file_text("ending.txt"), "r");

    load(ROOM), fs::remove("Zandmove.txt"); // lines break after seventy characters, in the file only
    state.move_log.echo = echo = std::freopen("echo.txt", "w+b", echo);
    press(state, CODE_F9);
    press(state, CODE_RIGHT, 70); // blocked after three, logged all the same
    log_move_char(state, '\n');   // a line end of its own starts the count afresh
    press(state, CODE_UP, 71);
    press(state, CODE_F9);
    EXPECT_EQ(file_text("Zandmove.txt"), std::string(70, '>') + "\n\n" + std::string(70, '^') + "\n^");
    EXPECT_EQ(file_text("echo.txt"), std::string(70, '>') + "\n" + std::string(71, '^'));

    // Developer keys, for the developer player only: nobody else opens a log either.
    std::strcpy(state.current_player->name, "quillbarrow"), offscreen().calls.clear();
    for (int32_t code : {CODE_F8, CODE_F9, CODE_B, CODE_C, CODE_D, CODE_F, CODE_S, CODE_T, CODE_V, CODE_X})
        press(state, code);
    EXPECT_TRUE(offscreen().calls.empty()); // not even a mode change: that would draw
    std::strcpy(state.current_player->name, "Quillbarrow");
    Pack_info pack;
    std::vector<int> modes;
    for (int32_t code : {CODE_V, CODE_B, CODE_X}) {
        state.pack = &pack;
        state.mode = MODE_PLAY;
        press(state, code);
        modes.push_back(state.mode);
    }
    EXPECT_EQ(modes, std::vector<int>({MODE_FINALE, MODE_DONE_TEXT, MODE_PLAY}));
    EXPECT_EQ(state.pack, nullptr); // back to the built-in levels
}

TEST_F(Move_log, PlaybackOfTheLogOfFilesAndItsSyntax)
{
    press(state, CODE_F9), press(state, CODE_LEFT, 2); // while the log records, playback plays what was there
    press(state, CODE_T), press(state, CODE_F9);       // plays "<<", logs it after what it read, and ends
    EXPECT_EQ(file_text("Zandmove.txt"), "<<<<");
    EXPECT_EQ(player(), std::make_pair(1, 3)); // the third step left meets the wall

    load(ROOM), write_bytes("Zandmove.txt", {'`', 'u', 'p', '`', '\r', '\n', '^', 'x', '2', '\r', '\n', '<'});
    press(state, CODE_T);
    EXPECT_EQ(player(), std::make_pair(3, 1));
    EXPECT_EQ(play_back_file(state, "no such file.txt", 0, 0, 0), -1);
    EXPECT_EQ(play_back_file(state, "Zandmove.txt", 0, 0, 0), 0);

    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"^x3", "4,1 2/0"},                           // two steps, then the wall
        {"^x0 <x-2 `^^^ v` >x", "5,3 1/0"},           // no count: once; zero or less: never
        {"N\nW\r\nWx2 SxE", "2,3 6/0"},                // compass letters walk like the arrows
        {"<x\n 2 `unclosed comment <<<<", "2,3 2/0"}, // the count may follow blanks and a line end
        {"vx+1>x 1", "5,4 2/0"},
        {"<x\t\v\f\r 2", "2,3 2/0"},                 // every kind of blank before the count
        {"<x2x3", "2,3 2/0"},                         // the count's own x is not a character
        {"hjklnpaxgs?/bcdtf 1\t\xff", "4,3 0/0"},     // only playback characters reach the game
    };
    // clang-format on
    for (auto [text, after] : cases) {
        load(ROOM), play_back_text(state, text, 0, 0, 0);
        EXPECT_EQ(now(), after + std::string(" mode 0")) << text;
    }
    load(ROOM), play_back_text(state, "N\nWx2 S E r u", 0, 0, 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"UP", "LEFT", "LEFT", "DOWN", "RIGHT", "RESTART", "Zandrek - Level 7",
                                                  "UNDO"}));
    for (char c : std::string("<>^vNSEWrux"))
        EXPECT_EQ(is_playback_char(c), c != 'x') << c;

    std::string scanned;
    scan_playback_text(std::string_view("ab`c`dx12vx13", 12), [&](char c) { return scanned += c, true; });
    EXPECT_EQ(scanned, "ab" + std::string(12, 'd') + "v");
    int played = 0; // huge counts are clamped and still played; the caller may stop the scan
    scan_playback_text("vx99999999999999999999", [&](char c) { return c == 'v' && ++played < 5; });
    EXPECT_EQ(played, 5);
}

TEST_F(Move_log, StoredSolutionsPlayWithoutCountsAndTheTileDumpFollowsTheRecordSyntax)
{
    load({"#######", "#-----#", "#@$-.##", "#######"});
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    pack.levels->solution = ">x5 `v` >";
    pack.current_level = pack.levels.get();
    play_back_solution(state, 0, 0, 0); // no pack: nothing
    EXPECT_EQ(state.play_board.moves, 0);
    state.pack = &pack, press(state, CODE_F9), press(state, CODE_S), close_move_log(state);
    EXPECT_EQ(file_text("Zandmove.txt"), ">v>"); // ">", the blocked "v" and ">" again
    EXPECT_EQ(state.mode, MODE_ALL_DONE);        // its only level is solved

    Pack_tile& tile = *(pack.tiles = std::make_unique<Pack_tile>());
    std::memset(tile.name, 'G', sizeof tile.name); // no terminator: the name ends at the capacity
    tile.width = 3, tile.height = 2;
    auto dump = [&](size_t pixels) {
        tile.pixels = std::vector<uint8_t>{0, 1, 127, 128, 200, 255, 9, 9, 9};
        tile.pixels.resize(pixels);
        FILE* out = std::fopen("dump.txt", "wb");
        dump_tile_text(state, out);
        std::fclose(out);
        return file_text("dump.txt");
    };
    EXPECT_EQ(dump(6), ""); // the reference is not resolved yet
    pack.levels->treasure_tile.tile = &tile;
    const std::string name = "Tile:\nName: " + std::string(NAME_CAPACITY - 1, 'G'),
                      head = name + "\nWidth: 3\nHeight: 2\nImagery:\n";
    EXPECT_EQ(dump(6), head + "0 1 127 \n-128 -56 -1 \nend\nend\n");
    EXPECT_EQ(dump(9), head + "0 1 127 \n-128 -56 -1 \nend\nend\n"); // no more rows than the height
    EXPECT_EQ(dump(4), head + "0 1 127 \n-128 \nend\nend\n");        // a picture cut short: what is there
    tile.width = -3;
    EXPECT_EQ(dump(6), name + "\nWidth: -3\nHeight: 2\nImagery:\nend\nend\n");
    state.pack = nullptr;
}

} // namespace
