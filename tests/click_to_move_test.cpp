#include <gtest/gtest.h>

#include <random>

#include "board_fixture.h"
#include "engine/click_to_move.h"
#include "engine/move_rules.h"

namespace
{

constexpr int TILE_W = 16;
constexpr int TILE_H = 12;

class Walk : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        offscreen_reset();
        state.tile_info.width = TILE_W;
        state.tile_info.height = TILE_H;
        state.magnify = 2;
    }

    // Loading resets the board, which ends any walk: start the record afresh.
    void load(const std::vector<std::string>& rows)
    {
        load_board(state, rows);
        offscreen().calls.clear();
    }
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
    std::vector<std::pair<int, int>> trail(int ticks)
    {
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < ticks; ++i) {
            advance_ms(state, 50);
            out.emplace_back(state.play_board.player_x, state.play_board.player_y);
        }
        return out;
    }
    std::pair<int, int> player() const { return {state.play_board.player_x, state.play_board.player_y}; }
    bool walking() const { return state.walk_timer && state.walk_timer->running(); }
    std::vector<std::string> picture(int rows, int cols) { return board_picture(state.play_board, rows, cols); }

    Game_state state;
};

using Trail = std::vector<std::pair<int, int>>;

TEST_F(Walk, PointerMapsToCellsAtEveryMagnification)
{
    load({"#####", "#@--#", "#####"});
    for (int m = 1; m <= 4; ++m) {
        state.magnify = m;
        const int w = TILE_W * m, h = TILE_H * m;
        struct Case {
            int x, y, column, row;
        } cases[] = {
            {0, 0, 0, 0},         {w - 1, h - 1, 0, 0},
            {w, h, 1, 1},         {5 * w + w / 2, 3 * h, 5, 3},
            {-1, -(h - 1), 0, 0}, // less than a cell off the window still counts as the first
            {-w, -h, -1, -1},     {19 * w + 1, 15 * h + 1, 19, 15},
        };
        for (const Case& c : cases) {
            state.last_pointer_x = c.x;
            state.last_pointer_y = c.y;
            Cell_pos cell = pointer_cell(state);
            EXPECT_EQ(cell_pos_column(cell), c.column) << "magnify " << m << " x " << c.x;
            EXPECT_EQ(cell_pos_row(cell), c.row) << "magnify " << m << " y " << c.y;
        }
        for (int column : {0, 7, 19}) {
            point_at(column, 4);
            EXPECT_EQ(pointer_cell(state), make_cell_pos(column, 4)) << "magnify " << m;
        }
    }
}

TEST_F(Walk, ATileSizeFromADamagedMapGivesNoCellAndNoStep)
{
    load({"#####", "#@--#", "#####"});
    for (int width : {0, -16, 1 << 30}) {
        state.tile_info.width = width;
        state.last_pointer_x = 3 * TILE_W * 2;
        state.last_pointer_y = 1 * TILE_H * 2;
        Cell_pos cell = pointer_cell(state);
        if (width > 0)
            EXPECT_EQ(cell_pos_column(cell), 0); // one enormous tile: the wall left of the player
        else
            EXPECT_FALSE(board_has_cell(state.play_board, cell_pos_column(cell), cell_pos_row(cell))) << width;
        button(CODE_LEFT_DOWN);
        advance_ms(state, 200);
        button(CODE_LEFT_UP);
    }
    EXPECT_EQ(state.play_board.moves, 0);
}

TEST_F(Walk, WalksAroundAnObstacleByTheTieOrderAndStaysWalkingOnArrival)
{
    // Two shortest ways round the wall; the newest-first expansion takes the right one.
    load({"#######", "#-----#", "#--#--#", "#--@--#", "#######"});
    click(3, 1);
    EXPECT_EQ(trail(6), (Trail{{4, 3}, {4, 2}, {4, 1}, {3, 1}, {3, 1}, {3, 1}}));
    EXPECT_EQ(state.play_board.moves, 4);
    EXPECT_TRUE(walking()); // arrival only stops the stepping
    button(CODE_LEFT_UP);
    EXPECT_FALSE(walking());
}

TEST_F(Walk, PathStepBreaksTiesNewestFirstThenUpDownLeftRight)
{
    load({"#######", "#-----#", "#-----#", "#--@--#", "#-----#", "#-----#", "#######"});
    const Cell_pos p = make_cell_pos(3, 3);
    struct Case {
        int column, row, direction;
    } cases[] = {
        {4, 4, DIR_RIGHT}, {2, 2, DIR_LEFT}, {4, 2, DIR_RIGHT}, {2, 4, DIR_LEFT}, {3, 1, DIR_UP},
        {3, 5, DIR_DOWN},  {1, 3, DIR_LEFT}, {5, 1, DIR_RIGHT}, {1, 5, DIR_LEFT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(path_step(state, make_cell_pos(c.column, c.row), p), c.direction) << c.column << "," << c.row;
    EXPECT_EQ(path_step(state, p, p), STEP_NONE);                     // its own cell is never entered
    EXPECT_EQ(path_step(state, make_cell_pos(0, 0), p), STEP_NONE);   // a wall
    EXPECT_EQ(path_step(state, make_cell_pos(-1, 3), p), STEP_NONE);  // off the grid
    EXPECT_EQ(path_step(state, make_cell_pos(25, 30), p), STEP_NONE); // off the grid
}

TEST_F(Walk, ClickOnATreasureInLinePushesItOnceEndingOnTheClickedCell)
{
    load({"#########", "#@--$--.#", "#########"});
    click(4, 1);
    trail(10);
    EXPECT_EQ(picture(3, 9)[1], "#---@$-.#");
    EXPECT_EQ(state.play_board.pushes, 1);
    EXPECT_EQ(state.play_board.moves, 3);
}

TEST_F(Walk, FreeCellBehindATreasureIsReachedAroundItWhenAPathExists)
{
    load({"#########", "#-------#", "#@--$--.#", "#-------#", "#########"});
    click(6, 2);
    trail(12);
    EXPECT_EQ(player(), std::make_pair(6, 2));
    EXPECT_EQ(state.play_board.pushes, 0);
    EXPECT_EQ(state.play_board.moves, 7); // five along the row and two round the treasure
}

TEST_F(Walk, FreeCellBehindATreasureIsReachedByPushingWhenNoPathExists)
{
    load({"#########", "#@-$---.#", "#########"});
    click(5, 1);
    EXPECT_EQ(trail(6), (Trail{{2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 1}, {5, 1}}));
    EXPECT_EQ(picture(3, 9)[1], "#----@$.#");
    EXPECT_EQ(state.play_board.pushes, 3);
}

TEST_F(Walk, WalledOffCellInLineIsApproachedUntilBlockedButOutOfLineGivesNoStep)
{
    load({"#########", "#@---#--#", "#----#--#", "#########"});
    click(6, 1);
    trail(8);
    EXPECT_EQ(player(), std::make_pair(4, 1));
    button(CODE_LEFT_UP);

    click(7, 2);
    trail(4);
    EXPECT_EQ(player(), std::make_pair(4, 1));
    EXPECT_EQ(state.play_board.moves, 3);
}

TEST_F(Walk, StraightStepHandlesLineDiagonalAndOwnCell)
{
    load({"######", "#-#--#", "#-@--#", "#--$-#", "#--$-#", "######"});
    const Cell_pos p = make_cell_pos(2, 2);
    auto step = [&](int column, int row) { return straight_step(state, make_cell_pos(column, row), p); };
    EXPECT_EQ(step(2, 2), STEP_HERE);
    EXPECT_EQ(step(2, 1), STEP_NONE); // wall next to it
    EXPECT_EQ(step(4, 2), DIR_RIGHT);
    EXPECT_EQ(step(2, 4), DIR_DOWN);
    EXPECT_EQ(step(3, 1), DIR_RIGHT); // corner (3,2) free: horizontal first
    EXPECT_EQ(step(1, 1), DIR_LEFT);
    EXPECT_EQ(step(1, 3), DIR_LEFT);
    EXPECT_EQ(step(3, 3), STEP_NONE); // a treasure on the diagonal is never a target
    EXPECT_EQ(step(4, 4), STEP_NONE); // only the eight neighbours
    EXPECT_EQ(step(0, 0), STEP_NONE);

    // With the horizontal corner walled, the vertical one is taken.
    load({"######", "#----#", "#-@#-#", "#----#", "######"});
    EXPECT_EQ(straight_step(state, make_cell_pos(3, 1), p), DIR_UP);
    EXPECT_EQ(straight_step(state, make_cell_pos(3, 3), p), DIR_DOWN);
    EXPECT_EQ(straight_step(state, make_cell_pos(1, 1), p), DIR_LEFT);

    // A push needs a free cell right behind the treasure; the line beyond does not matter.
    load({"########", "#@$-$--#", "#$######", "#$#", "###"});
    const Cell_pos q = make_cell_pos(1, 1);
    EXPECT_EQ(straight_step(state, make_cell_pos(6, 1), q), DIR_RIGHT);
    EXPECT_EQ(straight_step(state, make_cell_pos(1, 3), q), STEP_NONE); // two treasures in a row
}

TEST_F(Walk, ClickOnTheOwnCellOrOffTheGridGivesNoStep)
{
    load({"######", "#----#", "#-@--#", "######"});
    click(2, 2);
    trail(3);
    EXPECT_EQ(state.play_board.moves, 0);
    button(CODE_LEFT_UP);

    click(2, 2);
    state.last_pointer_x = 25 * TILE_W * 2; // far right of the window, the player's row
    trail(3);
    EXPECT_EQ(state.play_board.moves, 0);

    state.last_pointer_x = -3; // just left of the window: column 0, a wall in line
    trail(3);
    EXPECT_EQ(player(), std::make_pair(1, 2));
    EXPECT_TRUE(walking());
}

TEST_F(Walk, MovingThePointerRedirectsTheWalk)
{
    load({"##########", "#@-------#", "#--------#", "#--------#", "##########"});
    click(8, 1);
    trail(3);
    EXPECT_EQ(player(), std::make_pair(4, 1));
    point_at(4, 3);
    handle_event(state, Game_event{EVENT_MOTION, CODE_MOUSE_MOVED, 0, state.last_pointer_x, state.last_pointer_y});
    EXPECT_EQ(trail(3), (Trail{{4, 2}, {4, 3}, {4, 3}}));
    point_at(1, 1);
    trail(6);
    EXPECT_EQ(player(), std::make_pair(1, 1));
}

TEST_F(Walk, ShiftWalkOutlivesTheReleaseUntilTheNextClickIsReleased)
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
}

TEST_F(Walk, ThePlainWalkEndsWithTheRelease)
{
    load({"##########", "#@-------#", "##########"});
    click(8, 1);
    trail(2);
    button(CODE_LEFT_UP);
    trail(3);
    EXPECT_EQ(player(), std::make_pair(3, 1));
    EXPECT_FALSE(walking());
    EXPECT_TRUE(offscreen().timers.empty());
}

TEST_F(Walk, UndoAndTheSolvingPushEndTheWalk)
{
    load({"#######", "#@-$-.#", "#######"});
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

TEST_F(Walk, ScreenEndsTheWalkAtTheNextTick)
{
    load({"##########", "#@-------#", "##########"});
    click(8, 1);
    trail(1);
    handle_event(state, key_event(CODE_A)); // the about screen
    trail(1);
    EXPECT_FALSE(walking());
    EXPECT_EQ(player(), std::make_pair(2, 1));
}

TEST_F(Walk, WalkingFramesComeEveryFifthTickFromEntryOne)
{
    load({"#############", "#@----------#", "#############"});
    state.fidget.sequence_count = 3;
    const uint16_t walking[] = {40, 41, 42, FIDGET_END};
    std::copy(std::begin(walking), std::end(walking), state.fidget.sequences[2]);
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
}

TEST_F(Walk, DriverWalksToACellAndReleases)
{
    load({"#######", "#-----#", "#--#--#", "#--@--#", "#######"});
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
    for (int board_no = 0; board_no < 25; ++board_no) {
        std::vector<std::string> rows(LEVEL_ROWS, std::string(LEVEL_COLS, '#'));
        const int wall_percent = 10 + board_no % 5 * 10;
        std::vector<std::pair<int, int>> free_cells;
        for (int r = 1; r < LEVEL_ROWS - 1; ++r) {
            for (int c = 1; c < LEVEL_COLS - 1; ++c) {
                int roll = static_cast<int>(random() % 100);
                rows[r][c] = roll < wall_percent        ? '#'
                             : roll < wall_percent + 8  ? '$'
                             : roll < wall_percent + 12 ? '.'
                                                        : '-';
                if (rows[r][c] == '-' || rows[r][c] == '.') free_cells.emplace_back(c, r);
            }
        }
        if (free_cells.empty()) continue;
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
