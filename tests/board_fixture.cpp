#include "board_fixture.h"

#include <cstring>

#include "engine/level_progression.h"
#include "engine/move_rules.h"

void load_board(Game_state& state, const std::vector<std::string>& rows)
{
    Level_info level;
    for (size_t r = 0; r < rows.size() && r < LEVEL_ROWS; ++r) {
        for (size_t c = 0; c < rows[r].size() && c < LEVEL_COLS; ++c) {
            char ch = rows[r][c] == ' ' ? '#' : rows[r][c];
            level.layout[r][c] = ch;
            if (ch == '$' || ch == '*') level.num_treasures += 1;
            if (ch == '$') level.loose_treasures += 1;
            if (ch == '*') level.banked_treasures += 1;
            if (ch == '@' || ch == '+') {
                level.start_x = static_cast<int>(c);
                level.start_y = static_cast<int>(r);
            }
        }
    }
    level.number = 7;
    build_pack_board(state, level);
    state.pristine_board.number = 7;
    reset_board(state, false);
    state.mode = MODE_PLAY;
}

std::vector<std::string> board_picture(const Field_info& board, int rows, int cols)
{
    std::vector<std::string> out;
    for (int r = 0; r < rows; ++r) {
        std::string line;
        for (int c = 0; c < cols; ++c) {
            const Field_cell& cell = board.cells[r * board.columns + c];
            char ch = '?';
            if (cell.floor == KIND_WALL) ch = '#';
            else if (cell.content == KIND_PLAYER) ch = cell.floor == KIND_BANK ? '+' : '@';
            else if (is_treasure_kind(cell.content)) ch = cell.floor == KIND_BANK ? '*' : '$';
            else ch = cell.floor == KIND_BANK ? '.' : '-';
            line += ch;
        }
        out.push_back(line);
    }
    return out;
}

Score_entry* make_player(Game_state& state, const char* name, int level)
{
    state.players.insert(state.players.begin(), std::make_unique<Score_entry>());
    Score_entry* p = state.players.front().get();
    std::memset(p, 0, sizeof *p);
    std::strncpy(p->name, name, sizeof p->name - 1);
    p->level = level;
    state.current_player = p;
    state.num_players += 1;
    return p;
}

Game_event key_event(int32_t code) { return Game_event{EVENT_KEY, code, 0, 0, 0}; }

void press(Game_state& state, int32_t code, int times)
{
    for (int i = 0; i < times; ++i) handle_event(state, key_event(code));
}

void advance_ms(Game_state& state, int64_t ms)
{
    int64_t until = offscreen().now_ms + ms;
    while (uint32_t id = offscreen_next_due_timer(until)) on_window_timer(state, id);
}
