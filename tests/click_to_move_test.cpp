// Walking with the mouse: the cell under the pointer, the step chosen
// toward it, and the walk timer that takes the steps through handle_event.
#include <gtest/gtest.h>

#include <random>

#include "board_fixture.h"
#include "engine/click_to_move.h"
#include "engine/move_rules.h"

namespace
{

using Trail = std::vector<std::pair<int, int>>;

class Walk : public Board_test
{
  protected:
    void point_at(int column, int row)
    {
        cell_pointer(state, column, row, &state.last_pointer_x, &state.last_pointer_y);
    }
    void button(int32_t code, int32_t flags = 0)
    {
        handle_event(state, Game_event{EVENT_BUTTON, code, flags, state.last_pointer_x, state.last_pointer_y});
    }
    void click(int column, int row, int32_t flags = 0)
    {
        point_at(column, row);
        button(CODE_LEFT_DOWN, flags);
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
};

TEST_F(Walk, PointerMapsToCellsAtEveryMagnification)
{
    load({"#####", "#@--#", "#####"});
    for (int m = 1; m <= 4; ++m) {
        state.magnify = m;
        const int w = 16 * m, h = 12 * m;
        const int cases[][4] = {
            {0, 0, 0, 0},         {w - 1, h - 1, 0, 0},
            {w, h, 1, 1},         {5 * w + w / 2, 3 * h, 5, 3},
            {-1, -(h - 1), 0, 0}, // less than a cell off the window still counts as the first
            {-w, -h, -1, -1},     {19 * w + 1, 15 * h + 1, 19, 15},
        };
        for (const auto& c : cases) {
            state.last_pointer_x = c[0];
            state.last_pointer_y = c[1];
            EXPECT_EQ(pointer_cell(state), make_cell_pos(c[2], c[3])) << "magnify " << m << " at " << c[0];
        }
        point_at(7, 4);
        EXPECT_EQ(std::make_pair(state.last_pointer_x, state.last_pointer_y),
                  std::make_pair(7 * w + w / 2, 4 * h + h / 2));
    }
    // A tile size from a damaged map gives no cell and no step.
    for (int width : {0, -16}) {
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
    button(CODE_LEFT_DOWN);
    advance_ms(state, 200);
    EXPECT_EQ(state.play_board.moves, 0);
}

TEST_F(Walk, StepsTowardThePointer)
{
    load({"######", "#-#--#", "#-@--#", "#--$-#", "#--$-#", "######"});
    const Cell_pos p = make_cell_pos(2, 2);
    const int straight[][3] = {
        {2, 2, STEP_HERE}, {2, 1, STEP_NONE},                                       // a wall next to it
        {4, 2, DIR_RIGHT}, {2, 4, DIR_DOWN},  {1, 2, DIR_LEFT},  {3, 1, DIR_RIGHT}, // the horizontal corner first
        {1, 1, DIR_LEFT},  {1, 3, DIR_LEFT},  {3, 3, STEP_NONE}, // a treasure on the diagonal is never a target
        {4, 4, STEP_NONE}, {0, 0, STEP_NONE}, {3, 0, STEP_NONE},
    };
    for (const auto& c : straight)
        EXPECT_EQ(straight_step(state, make_cell_pos(c[0], c[1]), p), c[2]) << c[0] << "," << c[1];
    load({"######", "#----#", "#-@#-#", "#----#", "######"}); // the horizontal corner walled: the vertical one
    EXPECT_EQ(straight_step(state, make_cell_pos(3, 1), p), DIR_UP);
    EXPECT_EQ(straight_step(state, make_cell_pos(3, 3), p), DIR_DOWN);
    // A push needs a free cell right behind the treasure; the line beyond does not matter.
    load({"########", "#@$-$--#", "#$######", "#$#", "#-#", "###"});
    const Cell_pos q = make_cell_pos(1, 1);
    EXPECT_EQ(straight_step(state, make_cell_pos(6, 1), q), DIR_RIGHT);
    EXPECT_EQ(straight_step(state, make_cell_pos(1, 4), q), STEP_NONE); // two treasures in a row

    // Shortest paths over free cells: ties go newest first, then up, down, left, right.
    load({"#######", "#-----#", "#-----#", "#--@--#", "#-----#", "#-----#", "#######"});
    const Cell_pos c = make_cell_pos(3, 3);
    const int path[][3] = {
        {4, 4, DIR_RIGHT}, {2, 2, DIR_LEFT},   {4, 2, DIR_RIGHT},   {2, 4, DIR_LEFT},   {3, 1, DIR_UP},
        {3, 5, DIR_DOWN},  {1, 3, DIR_LEFT},   {5, 1, DIR_RIGHT},   {1, 5, DIR_LEFT},   {3, 3, STEP_NONE},
        {0, 0, STEP_NONE}, {-1, 3, STEP_NONE}, {25, 30, STEP_NONE}, {3, -1, STEP_NONE},
    };
    for (const auto& t : path) {
        EXPECT_EQ(path_step(state, make_cell_pos(t[0], t[1]), c), t[2]) << t[0] << "," << t[1];
        EXPECT_EQ(path_step_scan(state, make_cell_pos(t[0], t[1]), c), t[2]) << t[0] << "," << t[1];
    }
    state.play_board.rows = state.play_board.columns = 1000; // a damaged map's claim: the list search
    EXPECT_EQ(path_step(state, make_cell_pos(24, 0), make_cell_pos(23, 0)), DIR_RIGHT);
}

TEST_F(Walk, ClicksWalkRoundPushInLineOrApproachUntilBlocked)
{
    struct Click {
        const char* what;
        std::vector<std::string> rows;
        int column, row, ticks;
        Trail trail; // the last entry where it ends
        int moves, pushes;
    };
    const Click clicks[] = {
        {"round a wall by the tie order, staying on arrival",
         {"#######", "#-----#", "#--#--#", "#--@--#"},
         3,
         1,
         6,
         {{4, 3}, {4, 2}, {4, 1}, {3, 1}, {3, 1}, {3, 1}},
         4,
         0},
        {"a treasure in line is pushed once, ending on the clicked cell",
         {"#########", "#@--$--.#"},
         4,
         1,
         10,
         {{4, 1}},
         3,
         1},
        {"a free cell behind a treasure is reached round it",
         {"#########", "#-------#", "#@--$--.#", "#-------#"},
         6,
         2,
         12,
         {{6, 2}},
         7,
         0},
        {"or by pushing when there is no way round",
         {"#########", "#@-$---.#"},
         5,
         1,
         6,
         {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 1}, {5, 1}},
         4,
         3},
        {"a walled-off cell in line is approached until blocked",
         {"#########", "#@---#--#", "#----#--#"},
         6,
         1,
         8,
         {{4, 1}},
         3,
         0},
        {"out of line it gives no step", {"#########", "#@---#--#", "#----#--#"}, 7, 2, 4, {{1, 1}}, 0, 0},
        {"round when a push opens a way",
         {"#########", "#@$-----#", "##-###-##", "##-----##"},
         6,
         1,
         8,
         {{6, 1}},
         5,
         5},
        {"the own cell gives no step", {"######", "#----#", "#-@--#"}, 2, 2, 3, {{2, 2}}, 0, 0},
    };
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
        button(CODE_LEFT_UP);
        EXPECT_FALSE(walking());
    }
}

TEST_F(Walk, ThePointerLeadsTheWalkWhereverItGoes)
{
    load({"##########", "#@-------#", "#--------#", "#--------#", "##########"});
    click(8, 1);
    EXPECT_EQ(trail(3), (Trail{{2, 1}, {3, 1}, {4, 1}}));
    point_at(4, 3);
    handle_event(state, Game_event{EVENT_MOTION, CODE_MOUSE_MOVED, 0, state.last_pointer_x, state.last_pointer_y});
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
}

TEST_F(Walk, ShiftWalksOutliveTheReleaseAndWalksEndWithUndoSolvingOrAScreen)
{
    load({"##########", "#@-------#", "##########"});
    click(8, 1, EVENT_FLAG_SHIFT);
    button(CODE_LEFT_UP);
    EXPECT_EQ(trail(2), (Trail{{2, 1}, {3, 1}}));
    button(CODE_LEFT_DOWN); // only clears the sticky walk
    EXPECT_EQ(state.walk_sticky, 0);
    EXPECT_EQ(trail(1), (Trail{{4, 1}}));
    button(CODE_LEFT_UP);
    EXPECT_FALSE(walking());
    EXPECT_EQ(trail(2), (Trail{{4, 1}, {4, 1}}));
    auto cursors = offscreen_calls_of(CALL_CURSOR);
    ASSERT_EQ(cursors.size(), 2u);
    EXPECT_EQ(cursors[0]->a, CURSOR_CROSS);
    EXPECT_EQ(cursors[1]->a, CURSOR_ARROW);

    click(8, 1); // a screen ends the walk at the next tick
    trail(1);
    handle_event(state, key_event(CODE_A));
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
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    EXPECT_FALSE(walking());
    EXPECT_EQ(state.walk_sticky, 0);
    button(CODE_LEFT_DOWN);
    trail(4);
    EXPECT_EQ(state.mode, MODE_SOLVED);
    EXPECT_FALSE(walking());
}

TEST_F(Walk, WalkingFramesComeEveryFifthTickFromEntryOne)
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

    click(1, 1); // clears the sticky walk
    button(CODE_LEFT_UP);
    click(1, 1); // a new walk starts its animation afresh
    EXPECT_EQ(state.walk_frame, 0);
    EXPECT_EQ(state.walk_ticks, 0);

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

// The fast search must take the very step the list search takes, ties and all.
TEST_F(Walk, VisitedMapSearchChoosesTheSameStepAsTheListSearch)
{
    std::mt19937 random(20261206);
    for (int board_no = 0; board_no < 15; ++board_no) {
        std::vector<std::string> rows(LEVEL_ROWS, std::string(LEVEL_COLS, '#'));
        const int wall_percent = 10 + board_no % 5 * 10;
        std::vector<std::pair<int, int>> free_cells;
        for (int r = 1; r < LEVEL_ROWS - 1; ++r)
            for (int c = 1; c < LEVEL_COLS - 1; ++c) {
                int roll = static_cast<int>(random() % 100);
                rows[r][c] = roll < wall_percent        ? '#'
                             : roll < wall_percent + 8  ? '$'
                             : roll < wall_percent + 12 ? '.'
                                                        : '-';
                if (rows[r][c] == '-' || rows[r][c] == '.') free_cells.emplace_back(c, r);
            }
        auto start = free_cells[random() % free_cells.size()];
        rows[start.second][start.first] = '@';
        load(rows);
        const Cell_pos p = make_cell_pos(start.first, start.second);
        for (int r = -1; r <= LEVEL_ROWS; ++r)
            for (int c = -1; c <= LEVEL_COLS; ++c)
                ASSERT_EQ(path_step(state, make_cell_pos(c, r), p), path_step_scan(state, make_cell_pos(c, r), p))
                    << "board " << board_no << " target " << c << "," << r;
    }
}

} // namespace
