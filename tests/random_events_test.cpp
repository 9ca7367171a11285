// Random events of any shape on random boards: the dispatcher never reads or
// writes outside a board, and while one level is played the board stays a
// board: one player, every treasure kept, the banked count right, and the
// counters only rising.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board_fixture.h"
#include "engine/level_progression.h"
#include "engine/move_rules.h"

namespace {

struct Census {
    int players = 0;
    int treasures = 0;
    int banked = 0;
};

Census take_census(const Field_info& board)
{
    Census c;
    for (int i = 0; i < board_cell_count(board); ++i) {
        const Field_cell& cell = board.cells[i];
        if (cell.content == KIND_PLAYER) c.players += 1;
        if (is_treasure_kind(cell.content)) {
            c.treasures += 1;
            if (cell.floor == KIND_BANK) c.banked += 1;
        }
    }
    return c;
}

// A one-level pack, so that every level change the events ask for stays on
// this level (previous and next have nowhere to go) and needs no map file.
void play_random_pack_level(Game_state& state, Pack_info& pack, std::mt19937& rng)
{
    std::uniform_int_distribution<int> rows_of(3, LEVEL_ROWS), cols_of(3, LEVEL_COLS), pick(0, 99);
    int rows = rows_of(rng), cols = cols_of(rng);
    pack.levels = std::make_unique<Level_info>();
    pack.num_levels = 1;
    Level_info& level = *pack.levels;
    std::memset(level.layout, '#', sizeof level.layout);  // no template board without a map
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            int p = pick(rng);
            char ch = p < 20 ? '#' : p < 30 ? '$' : p < 38 ? '.' : p < 42 ? '*' : '-';
            level.layout[r][c] = ch;
            level.loose_treasures += ch == '$';
            level.banked_treasures += ch == '*';
        }
    level.num_treasures = level.loose_treasures + level.banked_treasures;
    level.start_y = std::uniform_int_distribution<int>(0, rows - 1)(rng);
    level.start_x = std::uniform_int_distribution<int>(0, cols - 1)(rng);
    char& start = level.layout[level.start_y][level.start_x];
    level.loose_treasures -= start == '$';
    level.banked_treasures -= start == '*';
    level.num_treasures -= start == '$' || start == '*';
    start = pick(rng) < 50 ? '@' : '+';
    state.tile_info.width = 16;
    state.tile_info.height = 12;
    state.packs.reset();
    state.pack = &pack;
    pack.current_level = &level;
    build_pack_board(state, level);
    reset_board(state, false);
    state.mode = MODE_PLAY;
}

Game_event random_event(std::mt19937& rng)
{
    std::uniform_int_distribution<int> small(-3, 70), any(INT32_MIN, INT32_MAX), bit(0, 3);
    Game_event e{};
    e.type = bit(rng) == 0 ? any(rng) : small(rng) % 7;
    e.code = bit(rng) == 0 ? any(rng) : small(rng);
    e.flags = bit(rng) == 0 ? any(rng) : bit(rng);
    e.x = bit(rng) == 0 ? any(rng) : small(rng) * 10;
    e.y = bit(rng) == 0 ? any(rng) : small(rng) * 10;
    return e;
}

// Events after which the counters may legitimately start again from zero.
bool restarts_counters(const Game_event& e, int32_t mode_before)
{
    return mode_before != MODE_PLAY || e.code == CODE_R || e.code == CODE_N || e.code == CODE_P ||
           e.code == CODE_G || e.code == CODE_X;
}

TEST(RandomEvents, BoardsStayConsistentWhateverArrives)
{
    std::mt19937 rng(20261206);
    for (int round = 0; round < 60; ++round) {
        offscreen_reset();
        offscreen().recording = false;
        Game_state state;
        give_sounds(state);
        make_player(state, "Tester");
        Pack_info pack;
        play_random_pack_level(state, pack, rng);
        const Census start = take_census(state.play_board);
        ASSERT_EQ(start.players, 1);
        uint16_t moves = 0, pushes = 0;
        for (int step = 0; step < 300; ++step) {
            Game_event e = random_event(rng);
            int32_t mode_before = state.mode;
            handle_event(state, e);
            advance_ms(state, 50);
            const Field_info& b = state.play_board;
            Census now = take_census(b);
            ASSERT_EQ(now.players, 1) << "round " << round << " step " << step << " event " << e.type << "," << e.code << " mode " << mode_before << "->" << state.mode;
            ASSERT_EQ(now.treasures, start.treasures);
            ASSERT_EQ(now.banked, b.banked);
            ASSERT_EQ(b.treasures, start.treasures);
            if (restarts_counters(e, mode_before) || state.mode != MODE_PLAY) {
                moves = b.moves;
                pushes = b.pushes;
                continue;
            }
            ASSERT_LT(static_cast<uint16_t>(b.moves - moves), 32768) << "moves went down";
            ASSERT_LT(static_cast<uint16_t>(b.pushes - pushes), 32768) << "pushes went down";
            moves = b.moves;
            pushes = b.pushes;
        }
    }
}

}  // namespace
