#include "engine/level_progression.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "engine/click_to_move.h"
#include "engine/game_state.h"
#include "engine/move_rules.h"

namespace
{

const char MUST_SOLVE[] = "Sorry, you must solve this\nlevel before going on.\n";
const char AT_FIRST[] = "You're at the first level.\nNowhere to go but up.";
const char NOT_SOLVED_FIRST[] = "Sorry, you haven't solved\nthe first level yet.";

// The sound plays just before the box opens.
void refuse(Game_state& state, int speech_byte, const char* message)
{
    play_speech(state, speech_info_id(state.speech_info, speech_byte));
    warn_box("%s", message);
}

void enter_pack_level(Game_state& state, Level_info* level)
{
    state.pack->current_level = level;
    build_pack_board(state, *level);
    enter_level(state);
}

void enter_builtin_level(Game_state& state, int n)
{
    state.board_shown = 0;
    clear_display(state);
    read_board_record(state, state.pristine_board, n);
    enter_level(state);
}

// Layout characters and the cell each makes: tile (as a kind_tiles slot, or
// a fixed tile id for walls), content, floor.
struct Legend_cell {
    char c;
    int kind_slot; // -1: PACK_WALL_TILE
    uint8_t content;
    uint8_t floor;
};
const Legend_cell LEGEND[] = {
    {'#', -1, KIND_WALL, KIND_WALL},
    {'-', KIND_FLOOR, KIND_FLOOR, KIND_FLOOR},
    {'.', KIND_BANK, KIND_BANK, KIND_BANK},
    {'$', KIND_TREASURE, KIND_TREASURE, KIND_FLOOR},
    {'*', KIND_BANKED_TREASURE, KIND_TREASURE, KIND_BANK},
    {'@', KIND_PLAYER, KIND_PLAYER, KIND_FLOOR},
    {'+', KIND_PLAYER_ON_BANK, KIND_PLAYER, KIND_BANK},
};

const Legend_cell* legend_for(char c)
{
    for (const Legend_cell& l : LEGEND)
        if (l.c == c) return &l;
    return nullptr;
}

} // namespace

int current_number(const Game_state& state)
{
    if (state.pack && state.pack->current_level) return state.pack->current_level->number;
    return state.play_board.number;
}

void enter_level(Game_state& state)
{
    state.board_shown = 0;
    clear_display(state);
    reset_board(state, false);
    draw_board(state, state.play_board, true);
    set_message_line(state, state.play_board);
    state.board_shown = 1;
    if (state.pack) {
        Level_info* level = state.pack->current_level;
        play_pack_sound(state, level ? resolve_sound(*state.pack, level->start_sound) : nullptr);
    } else {
        play_speech(state, state.play_board.start_sound);
    }
    fidget_reset(state);
    state.mode = MODE_PLAY;
}

void build_pack_board(Game_state& state, const Level_info& level)
{
    Field_info& b = state.pristine_board;
    read_board_record(state, b, BOARD_BLANK);
    b.number = static_cast<int16_t>(level.number);
    b.rows = LEVEL_ROWS;
    b.columns = LEVEL_COLS;
    b.loose = static_cast<int16_t>(level.loose_treasures);
    b.banked_at_start = static_cast<int16_t>(level.banked_treasures);
    b.treasures = static_cast<int16_t>(level.num_treasures);
    b.moves = b.pushes = b.zero = 0;
    b.start_time = b.solve_time = 0;
    b.start_x = b.player_x = static_cast<int16_t>(level.start_x);
    b.start_y = b.player_y = static_cast<int16_t>(level.start_y);
    b.undo_player_after = b.undo_player_before = b.undo_treasure_to = b.undo_treasure_from = -1;
    b.start_sound = b.banked_sound = b.solved_sound = b.spare_sound = NO_SOUND;
    std::copy(std::begin(STANDARD_KIND_TILES), std::end(STANDARD_KIND_TILES), b.kind_tiles);
    for (int row = 0; row < LEVEL_ROWS; ++row) {
        for (int col = 0; col < LEVEL_COLS; ++col) {
            const Legend_cell* l = legend_for(level.layout[row][col]);
            if (!l) continue; // a space keeps the template's cell
            Field_cell& cell = b.cells[row * LEVEL_COLS + col];
            cell.tile = l->kind_slot < 0 ? PACK_WALL_TILE : b.kind_tiles[l->kind_slot];
            cell.content = l->content;
            cell.floor = l->floor;
        }
    }
}

void next_level(Game_state& state)
{
    if (state.pack) {
        Level_info* level = state.pack->current_level;
        if (!level || !level->next) return;
        if (!is_developer_player(state) && level->number == state.pack->highest_level) {
            refuse(state, SPEECH_REFUSED, MUST_SOLVE);
            return;
        }
        enter_pack_level(state, level->next.get());
        return;
    }
    int n = state.play_board.number + 1;
    if (n > state.max_level) {
        refuse(state, SPEECH_REFUSED, MUST_SOLVE);
        return;
    }
    enter_builtin_level(state, n);
}

void previous_level(Game_state& state)
{
    int number = current_number(state);
    if (number == 1) {
        refuse(state, SPEECH_FIRST_LEVEL, AT_FIRST);
        return;
    }
    if (state.pack)
        enter_pack_level(state, pack_level(*state.pack, number - 1));
    else
        enter_builtin_level(state, number - 1);
}

void goto_level(Game_state& state, int n)
{
    if (state.pack)
        enter_pack_level(state, pack_level(*state.pack, n));
    else
        enter_builtin_level(state, n);
}

void select_level_set(Game_state& state, int pack_index, int level)
{
    if (pack_index < 1) {
        state.pack = nullptr;
        goto_level(state, level > 0 ? level : state.start_level);
        return;
    }
    Pack_info* pack = nth_pack(state.packs.get(), pack_index);
    if (!pack || !pack->levels) return;
    state.pack = pack;
    enter_pack_level(state, pack_level(*pack, level));
}

// This game's level chooser offers no choice and always declines.
static int ask_level_chooser(int /*choosable*/, int /*current*/)
{
    return -1;
}

void choose_level(Game_state& state)
{
    int choosable = state.pack ? state.pack->num_levels : state.max_level;
    if (choosable < 2) {
        refuse(state, SPEECH_REFUSED, NOT_SOLVED_FIRST);
        return;
    }
    int chosen = ask_level_chooser(choosable, current_number(state));
    if (chosen != -1) goto_level(state, chosen);
}

void level_solved(Game_state& state)
{
    Field_info& board = state.play_board;
    int n = board.number;
    fidget_reset(state);
    walk_stop(state);
    board.solve_time = static_cast<uint32_t>(platform_now_seconds());
    draw_solved_text(state, board);

    if (state.pack) {
        Pack_info& pack = *state.pack;
        Level_info* level = pack.current_level;
        if (!level || !level->next) {
            state.mode = MODE_ALL_DONE; // the pack's last level: no mark written
            return;
        }
        pack.current_level = level->next.get();
        pack.highest_level = std::max(pack.highest_level, pack.current_level->number);
        reg_set_dword(("solved:" + std::string(pack.name)).c_str(), static_cast<uint32_t>(pack.highest_level));
        build_pack_board(state, *pack.current_level);
        state.mode = MODE_SOLVED;
        return;
    }
    record_result(state, board);
    if (n != BUILTIN_LEVELS) {
        read_board_record(state, state.pristine_board, n + 1);
        state.mode = MODE_SOLVED;
    } else {
        state.mode = MODE_ALL_DONE;
    }
}
