// Playing a board through handle_event: steps, pushes, undo, walking with the mouse, each event in
// each mode, and the developer player's move log with its playbacks.
#include <fstream>
#include <random>

#include <gmock/gmock.h>

#include "engine/click_to_move.h"
#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "engine/move_rules.h"
#include "map_fixture.h"

namespace
{

using Picture = std::vector<std::string>;
using Trail = std::vector<std::pair<int, int>>;

class Play : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
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
    void set_tile_size(int w, int h)
    {
        state.tile_info.width = w;
        state.tile_info.height = h;
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
        for (int i = 0; i < ticks; ++i) {
            advance_ms(state, 50);
            out.emplace_back(state.play_board.player_x, state.play_board.player_y);
        }
        return out;
    }
    // After `ticks` walk ticks: "column,row moves/pushes mode M" and " walking" while the walk timer runs.
    std::string now(int ticks = 0)
    {
        trail(ticks);
        const Field_info& b = state.play_board;
        std::string out = std::to_string(b.player_x) + "," + std::to_string(b.player_y) + " " +
                          std::to_string(b.moves) + "/" + std::to_string(b.pushes) + " mode " +
                          std::to_string(state.mode);
        return out + (state.walk_timer && state.walk_timer->running() ? " walking" : "");
    }
    size_t count(Call_kind kind) { return offscreen_calls_of(kind).size(); }
    // Slot k of the player image table holds tile 100 + k, so a tile names its slot.
    void number_player_slots()
    {
        for (int k = 0; k < 14; ++k)
            state.tile_info.slots_14_to_27[k] = static_cast<uint16_t>(114 + k);
    }
};

TEST_F(Play, EachFacingShowsItsSlotOfThePlayerImages)
{
    number_player_slots();
    const std::tuple<const char*, int, int, int> rows[] = {
        {"none", DIR_NONE, 3, 14},           {"up, odd row", DIR_UP, 1, 17},      {"up, even row", DIR_UP, 2, 23},
        {"up, row 3", DIR_UP, 3, 17},        {"down, odd row", DIR_DOWN, 5, 15},  {"down, even row", DIR_DOWN, 6, 20},
        {"left", DIR_LEFT, 1, 14},           {"right", DIR_RIGHT, 1, 21},         {"back up", DIR_BACK_UP, 1, 23},
        {"back down", DIR_BACK_DOWN, 1, 24}, {"back left", DIR_BACK_LEFT, 2, 15}, {"back right", DIR_BACK_RIGHT, 2, 20},
    };
    for (const auto& [name, facing, row, slot] : rows)
        EXPECT_EQ(player_tile_for(state, facing, make_cell_pos(4, row)), 100 + slot) << name;
    EXPECT_EQ(player_tile_for(state, DIR_BACK_RIGHT + 1, make_cell_pos(4, 1)), 0);
}

// An undo walks the player back from `from` to `to` (cells of a 20-column
// grid) facing the way it came, as a step back looks.
TEST(BackingDir, AStepBackFacesTheWayItCame)
{
    const std::tuple<const char*, int, int, int> rows[] = {
        {"to the right", 41, 42, DIR_BACK_RIGHT},
        {"to the left", 41, 40, DIR_BACK_LEFT},
        {"down", 41, 61, DIR_BACK_DOWN},
        {"up", 41, 21, DIR_BACK_UP},
        {"nowhere", 41, 41, DIR_NONE},
    };
    for (const auto& [what, from, to, facing] : rows)
        EXPECT_EQ(backing_dir(from, to, 20), facing) << what;
}

TEST_F(Play, KeySequencesFollowTheMoveRules)
{
    // Before, keys, after, then moves, pushes, banked and mode, then the sounds: step 8, push 9, corner 10,
    // undo 11, start 20, banked 21, solved 22.
    using Case =
        std::tuple<const char*, Picture, const char*, Picture, std::tuple<int, int, int, int>, std::vector<int>>;
    // clang-format off
    const Case cases[] = {
        {"walls and a second treasure block", {"#######", "#@$$-.#"}, ">^", {"#######", "#@$$-.#"}, {0, 0, 0, MODE_PLAY}, {}},
        {"the grid's edge blocks, its first cell does not", {"@-$"}, "^<><", {"@-$"}, {2, 0, 0, MODE_PLAY}, {8, 8}},
        {"the grid's edges make a corner", {"-$@"}, "<", {"$@-"}, {1, 1, 0, MODE_PLAY}, {9, 10}},
        {"push into a wall corner", {"#######", "#@$-#-#", "#---$-#"}, ">", {"#######", "#-@$#-#", "#---$-#"}, {1, 1, 0, MODE_PLAY}, {9, 10}},
        {"a wall and a treasure make no corner", {"#######", "#@$-$-#", "#---#-#"}, ">", {"#######", "#-@$$-#", "#---#-#"}, {1, 1, 0, MODE_PLAY}, {9}},
        {"into a corner on a bank: banked, then solved", {"#######", "#@$.###"}, ">", {"#######", "#-@*###"}, {1, 1, 1, MODE_SOLVED}, {9, 21, 22}},
        {"only the first banking from the starting count sounds", {"########", "#@$.---#", "#-$.---#"}, "><v>", {"########", "#--*---#", "#-@*---#"}, {4, 2, 2, MODE_SOLVED}, {9, 21, 8, 8, 9, 22}},
        {"bank to bank keeps the count, off a bank lowers it", {"##########", "#@*.--$.#"}, ">>", {"##########", "#-.+$-$.##"}, {2, 2, 0, MODE_PLAY}, {9, 9}},
        {"undo after walking away", {"#######", "#@$---#", "#-----#"}, ">v>>u", {"#######", "#@$---#", "#-----#"}, {6, 2, 0, MODE_PLAY}, {9, 8, 8, 8, 11}},
        {"undo only once, and not before a push", {"#######", "#@$---#"}, "u>>uu", {"#######", "#-@$--#"}, {4, 3, 0, MODE_PLAY}, {9, 9, 11}},
        {"push again after an undo", {"########", "#@$----#"}, ">>>uu>u", {"########", "#--@$--#"}, {8, 6, 0, MODE_PLAY}, {9, 9, 9, 11, 9, 11}},
        {"a step after an undo starts from the undone cell", {"#######", "#@$---#", "#-----#"}, ">v>>u>", {"#######", "#-@$--#", "#-----#"}, {7, 3, 0, MODE_PLAY}, {9, 8, 8, 8, 11, 9}},
        {"undo of a banking push unbanks", {"#######", "#@$.$.#"}, ">u", {"#######", "#@$.$.#"}, {3, 2, 0, MODE_PLAY}, {9, 21, 11}},
        {"restart keeps the counters", {"#######", "#@$--.#"}, ">>r", {"#######", "#@$--.#"}, {2, 2, 0, MODE_PLAY}, {9, 9, 20}},
        {"all banked at the start: solved only after a push", {"########", "#@-*.--#"}, ">>", {"########", "#--+*--#"}, {2, 1, 1, MODE_SOLVED}, {8, 9, 22}},
        {"pushed off its bank: not solved", {"########", "#@*-.*-#"}, ">", {"########", "#-+$.*-#"}, {1, 1, 1, MODE_PLAY}, {9}},
        {"player on a bank", {"######", "#+$.-#"}, ">", {"######", "#.@*-#"}, {1, 1, 1, MODE_SOLVED}, {9, 21, 22}}};
    // clang-format on
    for (const auto& [what, before, keys, after, counts, sounds] : cases) {
        SCOPED_TRACE(what);
        load(before);
        press_keys(state, keys);
        EXPECT_EQ(picture(after), after);
        const Field_info& b = state.play_board;
        EXPECT_EQ(std::make_tuple(int{b.moves}, int{b.pushes}, int{b.banked}, int{state.mode}), counts);
        EXPECT_EQ(sounds_played(), sounds);
    }
}

// A pack level draws a treasure with tile 15, one on a bank with tile 16;
// Zandrek stepping right on row 1 shows slot 21 of the player images.
TEST_F(Play, AMovedPieceTakesTheTileOfWhereItStands)
{
    number_player_slots();
    const std::tuple<const char*, int, uint16_t> rows[] = {{">", 3, 15}, {">>", 4, 16}, {">", 2, 121}};
    for (const auto& [keys, column, tile] : rows) {
        load({"######", "#@$-.#", "######"});
        press_keys(state, keys);
        EXPECT_EQ(state.play_board.cells[state.play_board.columns + column].tile, tile) << keys;
    }
}

// A push draws the cells it changes, once for each piece leaving a cell and
// once for each arriving: the treasure's two, then the player's.
TEST_F(Play, APushRedrawsTheCellsItChanges)
{
    load({"######", "#@$-.#", "######"});
    press(state, CODE_RIGHT);
    EXPECT_THAT(blitted_cells(),
                testing::ElementsAre(std::pair{2, 1}, std::pair{3, 1}, std::pair{1, 1}, std::pair{2, 1}));
}

// Not revealed in a random order: row by row from the top, as a restart
// should look the same each time.
TEST_F(Play, ARestartDrawsTheWholeGridRowByRow)
{
    load({"######", "#@$-.#", "######"});
    press(state, CODE_RIGHT);
    offscreen().calls.clear();
    press(state, CODE_R);
    std::vector<std::pair<int, int>> every_cell;
    for (int r = 0; r < LEVEL_ROWS; ++r)
        for (int c = 0; c < LEVEL_COLS; ++c)
            every_cell.emplace_back(c, r);
    EXPECT_EQ(blitted_cells(), every_cell);
}

// The middle cell of each picture, with walls on the sides a row names.
TEST_F(Play, OnlyTwoWallsAtRightAnglesMakeACorner)
{
    const std::tuple<const char*, Picture, int> rows[] = {
        {"up, right", {"-#-", "--#", "---", "--@"}, 1},          {"right, down", {"---", "--#", "-#-", "--@"}, 1},
        {"down, left", {"---", "#--", "-#-", "--@"}, 1},         {"left, up", {"-#-", "#--", "---", "--@"}, 1},
        {"up, down", {"-#-", "---", "-#-", "--@"}, 0},           {"left, right", {"---", "#-#", "---", "--@"}, 0},
        {"a bank in a corner", {"-#-", "-.#", "---", "--@"}, 0},
    };
    for (const auto& [what, room, cornered] : rows) {
        load(room);
        EXPECT_EQ(is_cornered(state.play_board, state.play_board.columns + 1), cornered) << what;
    }
}

TEST_F(Play, WithoutATileSizeThePointerIsOnNoCell)
{
    for (auto [w, h] : {std::pair{0, 12}, {16, 0}, {-16, 12}}) {
        set_tile_size(w, h);
        EXPECT_EQ(pointer_cell(state), make_cell_pos(-1, -1)) << w << "x" << h;
    }
}

TEST_F(Play, APointerBeyondAnyCellNumberIsOnNoCell)
{
    set_tile_size(16, 12);
    const std::pair<int32_t, int32_t> pointers[] = {{INT32_MAX, 10}, {10, INT32_MAX}, {INT32_MIN, 10}, {10, INT32_MIN}};
    for (auto [x, y] : pointers) {
        state.last_pointer_x = x;
        state.last_pointer_y = y;
        EXPECT_EQ(pointer_cell(state), make_cell_pos(-1, -1)) << x << "," << y;
    }
}

TEST_F(Play, APointerOnTheFirstOrLastCellNumberIsOnThatCell)
{
    set_tile_size(16, 12);
    for (int n : {INT16_MIN, INT16_MAX}) {
        state.last_pointer_x = n * 16 * state.magnify;
        state.last_pointer_y = n * 12 * state.magnify;
        EXPECT_EQ(pointer_cell(state), make_cell_pos(n, n)) << n;
    }
}

TEST_F(Play, AStraightStepGoesTowardThePointerInLine)
{
    load({"######", "#-#--#", "#-@--#", "#--$-#", "#--$-#", "######"});
    // clang-format off
    const std::tuple<const char*, int, int, int> cases[] = {{"the player's own cell", 2, 2, STEP_HERE}, {"a wall next to it", 2, 1, STEP_NONE},
        {"in line right", 4, 2, DIR_RIGHT}, {"a push down", 2, 4, DIR_DOWN}, {"in line left", 1, 2, DIR_LEFT},
        {"the horizontal corner first", 3, 1, DIR_RIGHT}, {"diagonal up left", 1, 1, DIR_LEFT},
        {"diagonal down left", 1, 3, DIR_LEFT}, {"a treasure on the diagonal", 3, 3, STEP_NONE},
        {"past a treasure on the diagonal", 4, 4, STEP_NONE}, {"the wall's corner", 0, 0, STEP_NONE},
        {"the top wall", 3, 0, STEP_NONE}};
    // clang-format on
    for (const auto& [what, column, row, step] : cases)
        EXPECT_EQ(straight_step(state, make_cell_pos(column, row), make_cell_pos(2, 2)), step) << what;
}

// Toward a diagonal cell a wall beside the player turns the step up or down;
// walls both ways leave no step.
TEST_F(Play, AStraightStepToADiagonalGoesRoundAWall)
{
    load({"#####", "#--##", "##@-#", "#-#-#", "#####"});
    const std::tuple<const char*, int, int, int> cases[] = {
        {"up left, the left walled", 1, 1, DIR_UP},
        {"down left, both ways walled", 1, 3, STEP_NONE},
    };
    for (const auto& [what, column, row, step] : cases)
        EXPECT_EQ(straight_step(state, make_cell_pos(column, row), make_cell_pos(2, 2)), step) << what;
}

TEST_F(Play, AStraightStepPushesUpOrDownOnlyIntoRoomBeyond)
{
    load({"###", "#-#", "#$#", "#@#", "#$#", "#$#", "###"});
    const std::tuple<const char*, int, int> cases[] = {{"up, room beyond", 1, DIR_UP},
                                                       {"down, a treasure beyond", 5, STEP_NONE}};
    for (const auto& [what, row, step] : cases)
        EXPECT_EQ(straight_step(state, make_cell_pos(1, row), make_cell_pos(1, 3)), step) << what;
}

TEST_F(Play, AMoveInNoDirectionIsAWallNamedInABox)
{
    load({"#####", "#-@-#", "#####"});
    for (int direction : {DIR_UP - 1, DIR_RIGHT + 1}) {
        offscreen().calls.clear();
        Cell_pos moved{};
        int index = 0;
        EXPECT_EQ(test_move(state.play_board, make_cell_pos(2, 1), direction, &moved, &index), MOVE_WALL);
        const std::vector<const Platform_call*> boxes = offscreen_calls_of(CALL_BOX);
        EXPECT_THAT(boxes,
                    testing::ElementsAre(testing::Field(
                        &Platform_call::text, "bogus move dir (" + std::to_string(direction) + ") in test_move")));
    }
}

TEST_F(Play, APathStepTakesTheFirstStepOfAShortestPath)
{
    load({"#######", "#-----#", "#-----#", "#--@--#", "#-----#", "#-----#", "#######"});
    const int path[][3] = {{4, 4, DIR_RIGHT},   {2, 2, DIR_LEFT},  {4, 2, DIR_RIGHT}, {2, 4, DIR_LEFT},
                           {3, 1, DIR_UP},      {3, 5, DIR_DOWN},  {1, 3, DIR_LEFT},  {5, 1, DIR_RIGHT},
                           {1, 5, DIR_LEFT},    {3, 3, STEP_NONE}, {0, 0, STEP_NONE}, {-1, 3, STEP_NONE},
                           {25, 30, STEP_NONE}, {3, -1, STEP_NONE}}; // ties: newest first, then up, down, left, right
    for (const auto& [column, row, step] : path)
        EXPECT_EQ(path_step(state, make_cell_pos(column, row), make_cell_pos(3, 3)), step) << column << "," << row;
}

TEST_F(Play, TheFastPathSearchTakesTheListSearchsStep)
{
    std::mt19937 random(20261206);
    for (int board_no = 0; board_no < 15; ++board_no) {
        Picture rows(LEVEL_ROWS, std::string(LEVEL_COLS, '-')); // free cells on the edges too
        for (int r = 0; r < LEVEL_ROWS; ++r)
            for (int c = 0; c < LEVEL_COLS; ++c) {
                int roll = static_cast<int>(random() % 100) - board_no % 5 * 10;
                rows[r][c] = board_no == 0 ? '-' : roll < 10 ? '#' : roll < 18 ? '$' : roll < 22 ? '.' : '-';
            }
        const int sx = static_cast<int>(random() % LEVEL_COLS), sy = static_cast<int>(random() % LEVEL_ROWS);
        rows[sy][sx] = '@';
        load(rows);
        std::vector<int> fast, list;
        for (int r = -1; r <= LEVEL_ROWS; ++r)
            for (int c = -1; c <= LEVEL_COLS; ++c) {
                fast.push_back(path_step(state, make_cell_pos(c, r), make_cell_pos(sx, sy)));
                list.push_back(path_step_scan(state, make_cell_pos(c, r), make_cell_pos(sx, sy)));
            }
        EXPECT_EQ(fast, list) << "board " << board_no;
    }
}

TEST_F(Play, AHeldButtonWalksTowardThePointer)
{
    load({"##########", "#@-------#", "#--------#", "#--------#", "##########"});
    click(8, 1);
    EXPECT_EQ(trail(3), (Trail{{2, 1}, {3, 1}, {4, 1}}));
    point_at(4, 3);
    send(EVENT_MOTION, CODE_MOUSE_MOVED);
    EXPECT_EQ(trail(3), (Trail{{4, 2}, {4, 3}, {4, 3}}));
}

TEST_F(Play, AWalkShowsTheCrossCursorUntilTheButtonIsUp)
{
    load({"#####", "#@--#", "#####"});
    click(3, 1);
    send(EVENT_BUTTON, CODE_LEFT_UP);
    std::vector<int> cursors;
    for (const Platform_call* c : offscreen_calls_of(CALL_CURSOR))
        cursors.push_back(c->a);
    EXPECT_EQ(cursors, (std::vector<int>{CURSOR_CROSS, CURSOR_ARROW}));
}

// A tick already on its way when the button came up finds the walk over.
TEST_F(Play, AWalkTickAfterTheWalkEndedTakesNoStep)
{
    load({"#####", "#@--#", "#####"});
    click(3, 1);
    send(EVENT_BUTTON, CODE_LEFT_UP);
    EXPECT_EQ(walk_tick(state), STEP_NONE);
    EXPECT_EQ(now(), "1,1 0/0 mode 0");
}

TEST_F(Play, AShiftWalkTriesAStraightPushFirst)
{
    load({"#######", "#@-$--#", "#-----#", "#######"});
    click(5, 1, EVENT_FLAG_SHIFT);
    EXPECT_EQ(now(4), "4,1 3/2 mode 0 walking"); // not the free path around the treasure
}

// A shift walk goes on once the button is up; the next click ends it as the
// button is let go, and starts no walk of its own.
TEST_F(Play, TheClickAfterAShiftWalkEndsItWhenLetGo)
{
    load({"###########", "#@--------#", "###########"});
    click(9, 1, EVENT_FLAG_SHIFT);
    send(EVENT_BUTTON, CODE_LEFT_UP);
    const std::string going = now(2);
    click(9, 1);
    send(EVENT_BUTTON, CODE_LEFT_UP);
    EXPECT_EQ(std::make_tuple(going, now(2)), std::make_tuple("3,1 2/0 mode 0 walking", "3,1 2/0 mode 0"));
}

// Once a shift walk has had to take the path, it keeps to it: the straight
// way along row 2 would push the treasure there.
TEST_F(Play, AShiftWalkThatTookThePathKeepsToIt)
{
    load({"##########", "#@$#-----#", "#-----$-.#", "#--------#", "##########"});
    click(8, 2, EVENT_FLAG_SHIFT);
    EXPECT_EQ(now(12), "8,2 10/0 mode 0 walking");
}

// The click on the treasure decides the way of the whole walk: the straight
// step right, not the shortest path, which sets off left.
TEST_F(Play, AWalkFromAClickOnATreasureTriesTheStraightStepFirst)
{
    load({"########", "#-@-#--#", "#-####-#", "#------#", "#--$---#", "########"});
    click(3, 4);
    point_at(5, 1);
    send(EVENT_MOTION, CODE_MOUSE_MOVED);
    EXPECT_EQ(trail(1), (Trail{{3, 1}}));
}

// Three steps to the right: the fourth tick is the one that finds no step.
TEST_F(Play, AWalkGivenTicksOnlyForItsStepsIsCutOff)
{
    for (const auto& [limit, answer] : {std::pair{3, -1}, {4, 3}}) {
        load({"######", "#@---#", "######"});
        EXPECT_EQ(walk_to_cell(state, 4, 1, limit), answer) << limit << " ticks";
    }
}

TEST_F(Play, SolvingALevelEndsTheWalk)
{
    load({"#######", "#@$-.-#", "#######"});
    click(5, 1, EVENT_FLAG_SHIFT); // straight on, pushing the treasure home on the second step
    EXPECT_EQ(now(2), "3,1 2/2 mode " + std::to_string(MODE_SOLVED)); // and no longer walking
}

TEST_F(Play, WalkingFramesComeEveryFifthTickFromEntryOne)
{
    const std::vector<int> shown = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2}; // each walk starts again at entry 0
    for (int16_t sequences : {1, FIDGET_SEQUENCES, 0}) { // the walking sequence is the last; none, none shown
        load({"#############", "#@----------#"});
        set_walking_frames(state, sequences, {40, 41, 42});
        click(11, 1, EVENT_FLAG_SHIFT);
        std::vector<int> frames;
        for (int i = 0; i < 12; ++i) {
            advance_ms(state, 50);
            frames.push_back(state.walk_frame);
        }
        EXPECT_EQ(frames, sequences ? shown : std::vector<int>(12)) << sequences << " sequences";
    }
}

const Picture KEYS_ROOM = {"########", "#@-$-.-#", "#------#", "########"};

TEST_F(Play, EachScreenKeyInPlayHasItsEffect)
{
    load(KEYS_ROOM);
    make_player(state, "Anne");
    state.max_level = 1;
    auto idle = [](Game_state&, uint32_t) {};
    state.fidget_timer = std::make_unique<Periodic_timer>(state, 0, 300000, idle, 0);
    state.msgline_timer = std::make_unique<Periodic_timer>(state, 5, 0, idle, 0);
    using Effects = std::vector<std::string>; // each box (its kind and first line), sound, page opened, timer set
    // clang-format off
    const std::tuple<const char*, int32_t, int32_t, Effects> keys[] = {{"escape", CODE_ESCAPE, MODE_HELP, {"sound 0"}},
        {"F1", CODE_F1, MODE_HELP, {"sound 0"}}, {"slash", CODE_SLASH, MODE_HELP, {"sound 0"}},
        {"about", CODE_A, MODE_HELP, {"sound 0", "box 1 Zandrek Version 4.0"}},
        {"go to a level", CODE_G, MODE_PLAY, {"sound 14", "box 2 Sorry, you haven't solved"}},
        {"help page", CODE_QUESTION, MODE_PLAY, {"url C:\\zandrek\\zandhelp.html"}},
        {"timers", CODE_E, MODE_PLAY, {"timer 5000", "timer 300"}}};
    // clang-format on
    for (const auto& [what, code, mode, expected] : keys) {
        offscreen().calls.clear();
        state.mode = MODE_PLAY;
        press(state, code);
        Effects seen;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX)
                seen.push_back("box " + std::to_string(c.a) + " " + c.text.substr(0, c.text.find('\n')));
            if (c.kind == CALL_WAVE_WRITE) seen.push_back("sound " + std::to_string(c.bytes.at(0)));
            if (c.kind == CALL_OPEN_URL) seen.push_back("url " + c.text);
            if (c.kind == CALL_SET_TIMER) seen.push_back("timer " + std::to_string(c.b));
        }
        EXPECT_EQ(std::make_tuple(state.mode, seen), std::make_tuple(mode, expected)) << what;
    }
}

TEST_F(Play, AnyKeyOrLeftClickEndsAScreenWithAFreshRedraw)
{
    load(KEYS_ROOM);
    const std::pair<int32_t, int32_t> ends[] = {
        {EVENT_KEY, CODE_RIGHT}, {EVENT_KEY, CODE_OTHER_KEY}, {EVENT_BUTTON, CODE_LEFT_DOWN}};
    for (int32_t mode : {MODE_SOLVED, MODE_HELP, MODE_FINALE})
        for (auto [type, code] : ends) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " code " << code);
            state.mode = mode;
            last_reveal(state) = 0;
            fidget_state(state) = 4;
            offscreen().calls.clear();
            send(type, code);
            EXPECT_EQ(now(), "1,1 0/0 mode 0"); // the event itself not acted on
            EXPECT_EQ(std::make_tuple(last_reveal(state) != 0, fidget_state(state), count(CALL_FILL)),
                      std::make_tuple(true, 0, size_t{1}));
            EXPECT_EQ(texts_of(CALL_TITLE), Picture{"Zandrek - Level 7"});
        }
}

TEST_F(Play, ARepaintRedrawsEachScreenWithoutClearing)
{
    load(KEYS_ROOM);
    // Mode, screen board, texts drawn, whether in a random order.
    // clang-format off
    const std::tuple<int, int, size_t, bool> cases[] = {{MODE_PLAY, BOARD_HELP, 0, true}, {MODE_TITLE, BOARD_TITLE, 0, false},
        {MODE_SOLVED, BOARD_HELP, 10, true}, {MODE_HELP, BOARD_HELP, 22, true}, {MODE_HELP, BOARD_ABOUT, 0, true},
        {MODE_ALL_DONE, BOARD_HELP, 10, true}, {MODE_DONE_TEXT, BOARD_BLANK, 10, true}, {MODE_FINALE, BOARD_FINALE, 0, false}};
    // clang-format on
    for (const auto& [mode, board, texts, random_order] : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " board " << board);
        state.mode = mode;
        state.screen_board = state.play_board;
        state.screen_board.number = int16_t(board);
        fidget_state(state) = 4;
        last_reveal(state) = 0;
        offscreen().calls.clear();
        send(EVENT_PAINT, CODE_PAINT);
        EXPECT_EQ(std::make_tuple(count(CALL_BLIT), count(CALL_TEXT), count(CALL_FILL), count(CALL_TITLE)),
                  std::make_tuple(size_t{FIELD_MAX_CELLS}, texts, size_t{0}, size_t{0}));
        EXPECT_EQ(std::make_tuple(last_reveal(state) != 0, state.mode, fidget_state(state)),
                  std::make_tuple(random_order, mode, 0));
    }
}

const Picture ROOM = {"#########", "#-------#", "#-------#", "#---@---#", "#-------#", "#########"};

// The log lives in the current directory, so every test runs in a fresh one.
TEST_F(Play, APushStartsTheIdlingOver)
{
    load({"#######", "#@$--.#", "#######"});
    fidget_state(state) = 4; // in the middle of a sequence
    press(state, CODE_RIGHT);
    EXPECT_EQ(fidget_state(state), 0);
}

TEST_F(Play, AnUndoStartsTheIdlingOver)
{
    load({"#######", "#@$--.#", "#######"});
    press(state, CODE_RIGHT);
    fidget_state(state) = 4; // in the middle of a sequence
    press_keys(state, "u");
    EXPECT_EQ(fidget_state(state), 0);
}

class Move_log : public Play
{
  protected:
    void SetUp() override
    {
        Play::SetUp();
        enter_temp_folder();
        state.move_log.echo = echo = std::fopen("echo.txt", "w+b");
        make_player(state, "Quillbarrow");
        load(ROOM);
    }
    void TearDown() override
    {
        close_move_log(state);
        std::fclose(echo);
        Play::TearDown();
    }
    std::string file_text(const char* path)
    {
        std::fflush(echo);
        const std::vector<uint8_t> bytes = file_bytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    // What the developer key c prints for a pack level's treasure tile.
    std::string tile_dump(const std::string& name, int width, int height, const std::vector<uint8_t>& pixels)
    {
        Pack_info pack;
        pack.levels = std::make_unique<Level_info>();
        pack.current_level = pack.levels.get();
        pack.tiles = std::make_unique<Pack_tile>();
        std::snprintf(pack.tiles->name, NAME_CAPACITY, "%s", name.c_str());
        pack.tiles->width = width;
        pack.tiles->height = height;
        pack.tiles->pixels = pixels;
        pack.levels->treasure_tile.tile = pack.tiles.get();
        state.pack = &pack;
        testing::internal::CaptureStdout();
        press(state, CODE_C);
        state.pack = nullptr;
        return testing::internal::GetCapturedStdout();
    }

    FILE* echo = nullptr;
};

TEST_F(Move_log, EachLoggedCommandWritesItsCharacter)
{
    const std::tuple<const char*, int32_t, int32_t, char> events[] = {
        {"up", EVENT_KEY, CODE_UP, '^'},         {"h", EVENT_KEY, CODE_H, '<'},
        {"j", EVENT_KEY, CODE_J, 'v'},           {"k", EVENT_KEY, CODE_K, '^'},
        {"l", EVENT_KEY, CODE_L, '>'},           {"backspace", EVENT_KEY, CODE_BACKSPACE, 'u'},
        {"delete", EVENT_KEY, CODE_DELETE, 'u'}, {"u", EVENT_KEY, CODE_U, 'u'},
        {"r", EVENT_KEY, CODE_R, 'r'},           {"right button", EVENT_BUTTON, CODE_RIGHT_UP, 'u'}};
    for (const auto& [what, type, code, logged] : events) {
        load(ROOM);
        press(state, CODE_F9);
        send(type, code);
        press(state, CODE_F9);
        EXPECT_EQ(file_text("Zandmove.txt"), std::string(1, logged)) << what;
    }
    EXPECT_EQ(file_text("echo.txt"), "^<v^>uuuru"); // each character echoed too
}

TEST_F(Move_log, F9SaysInTheTitleWhetherTheLogIsOpen)
{
    press(state, CODE_F9, 2);
    EXPECT_EQ(texts_of(CALL_TITLE), Picture({"Zandmove.txt opened.", "Zandmove.txt closed."}));
}

TEST_F(Move_log, TheFileBreaksEveryLineAfterSeventyCharacters)
{
    press(state, CODE_F9);
    press(state, CODE_UP, 141); // into the wall: refused moves are logged too
    close_move_log(state);
    EXPECT_EQ(file_text("Zandmove.txt"), std::string(70, '^') + "\n" + std::string(70, '^') + "\n^");
}

TEST_F(Move_log, CommandsThatMoveNothingWriteNothing)
{
    const std::tuple<const char*, int32_t, int32_t> events[] = {
        {"help page", EVENT_KEY, CODE_QUESTION},
        {"about", EVENT_KEY, CODE_A},
        {"timers", EVENT_KEY, CODE_E},
        {"help", EVENT_KEY, CODE_SLASH},
        {"finale", EVENT_KEY, CODE_V},
        {"escape", EVENT_KEY, CODE_ESCAPE},
        {"F1", EVENT_KEY, CODE_F1},
        {"next", EVENT_KEY, CODE_N},
        {"previous", EVENT_KEY, CODE_P},
        {"go to", EVENT_KEY, CODE_G},
        {"a key the game has no use for", EVENT_KEY, CODE_OTHER_KEY},
        {"a click on Zandrek's own cell", EVENT_BUTTON, CODE_LEFT_DOWN}};
    for (const auto& [what, type, code] : events) {
        load(ROOM);
        press(state, CODE_F9);
        point_at(state.play_board.player_x, state.play_board.player_y);
        send(type, code);
        close_move_log(state); // a screen would take F9 as the key that ends it
        EXPECT_EQ(file_text("Zandmove.txt"), "") << what;
    }
}

TEST_F(Move_log, PlaybackTextFollowsTheRecordSyntax)
{
    // Exactly the text on the heap: the checked build catches a read past it.
    const std::vector<char> ends_at_x{'<', 'x'};
    const std::tuple<const char*, std::string_view, std::string> cases[] = {
        {"two steps, then the wall", "^x3", "4,1 2/0 mode 0"},
        {"no count: once; zero or less: never", "^x0 <x-2 `^^^ v` >x", "5,3 1/0 mode 0"},
        {"compass letters walk like the arrows", "N\nW\r\nWx2 SxE", "2,3 6/0 mode 0"},
        {"the count may follow blanks and a line end", "<x\n 2 `unclosed comment <<<<", "2,3 2/0 mode 0"},
        {"a signed count", "vx+1>x 1", "5,4 2/0 mode 0"},
        {"every kind of blank before the count", "<x\t\v\f\r 2", "2,3 2/0 mode 0"},
        {"the count's own x is not a character", "<x2x3", "2,3 2/0 mode 0"},
        {"only playback characters reach the game", "hjklnpaxgs?/bcdtf 1\t\xff", "4,3 0/0 mode 0"},
        {"nine is a digit of the count", "<x9", "1,3 3/0 mode 0"},
        {"no further than the text's length", std::string_view("<<v", 2), "2,3 2/0 mode 0"},
        {"a count ends with the text", std::string_view("<x12", 3), "3,3 1/0 mode 0"},
        {"an x ends the text", std::string_view(ends_at_x.data(), ends_at_x.size()), "3,3 1/0 mode 0"}};
    for (const auto& [what, text, after] : cases) {
        load(ROOM);
        play_back_text(state, text, 0, 0, 0);
        EXPECT_EQ(now(), after) << what;
    }
}

TEST_F(Move_log, PlayingBackAMissingFileIsRefused)
{
    EXPECT_EQ(play_back_file(state, "no such file.txt", 0, 0, 0), -1);
}

// The log being recorded plays back all it holds so far: the steps in it are played once more.
TEST_F(Move_log, TheLogBeingRecordedPlaysBackWhatItHolds)
{
    const int start = state.play_board.player_x;
    press(state, CODE_F9);
    press(state, CODE_RIGHT);
    ASSERT_EQ(play_back_file(state, "Zandmove.txt", 0, 0, 0), 0);
    EXPECT_EQ(state.play_board.player_x, start + 2);
}

TEST_F(Move_log, TheDevelopersTPlaysTheLogBack)
{
    std::ofstream("Zandmove.txt") << ">v";
    press(state, CODE_T);
    EXPECT_EQ(std::make_tuple(state.play_board.player_x, state.play_board.player_y, int{state.play_board.moves}),
              std::make_tuple(5, 4, 2));
}

TEST_F(Move_log, TheDevelopersXReturnsToTheStartLevelOfTheBuiltInOnes)
{
    open_map();
    Pack_info pack;
    state.pack = &pack;
    state.start_level = 2;
    press(state, CODE_X);
    EXPECT_EQ(std::make_tuple(state.pack, int{state.play_board.number}), std::make_tuple(nullptr, 2));
}

// The developer's keys that show the game's last two screens.
TEST_F(Move_log, TheDevelopersScreenKeysShowTheirScreens)
{
    for (const auto& [key, mode] : {std::pair{CODE_B, MODE_DONE_TEXT}, {CODE_V, MODE_FINALE}}) {
        load(ROOM);
        state.mode = MODE_PLAY;
        press(state, key);
        EXPECT_EQ(state.mode, mode) << "key " << key;
    }
}

// Level 0 of the built-in ones stands for the level the player starts on.
TEST_F(Move_log, ABuiltInLevelChosenIsEnteredWhateverTheStart)
{
    open_map();
    state.start_level = 2;
    for (const auto& [chosen, entered] : {std::pair{1, 1}, {3, 3}, {0, 2}}) {
        select_level_set(state, 0, chosen);
        EXPECT_EQ(state.play_board.number, entered) << "level " << chosen;
    }
}

TEST_F(Move_log, TheTileDumpWritesTheTreasureTileRowByRow)
{
    const std::string name = "Gold" + std::string(NAME_CAPACITY - 5, 'e'); // the longest a name can be
    EXPECT_EQ(tile_dump(name, 1, 2, {0, 200}),                             // printed as signed bytes
              "Tile:\nName: " + name + "\nWidth: 1\nHeight: 2\nImagery:\n0 \n-56 \nend\nend\n");
}

TEST_F(Move_log, TheTileDumpStopsWhereThePixelsDo)
{
    const std::tuple<int, std::vector<uint8_t>, const char*> rows[] = {
        {3, {1, 2, 3, 4}, "1 2 \n3 4 \n"}, // a row short
        {2, {1, 2, 3}, "1 2 \n3 \n"},      // a pixel short
    };
    for (const auto& [height, pixels, imagery] : rows)
        EXPECT_EQ(tile_dump("Gold", 2, height, pixels),
                  "Tile:\nName: Gold\nWidth: 2\nHeight: " + std::to_string(height) + "\nImagery:\n" + imagery +
                      "end\nend\n");
}

TEST_F(Move_log, AStoredSolutionPlaysWithoutCounts)
{
    load({"#######", "#-----#", "#@$-.##", "#######"});
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    pack.levels->solution = ">x5 `v` >";
    pack.current_level = pack.levels.get();
    state.pack = &pack;
    press(state, CODE_F9);
    press(state, CODE_S);
    close_move_log(state);
    EXPECT_EQ(file_text("Zandmove.txt"), ">v>"); // ">", the blocked "v" and ">" again
    EXPECT_EQ(state.mode, MODE_ALL_DONE);        // its only level is solved
}

} // namespace
