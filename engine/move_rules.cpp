#include "engine/move_rules.h"

#include "engine/click_to_move.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"

namespace
{

struct Step {
    int dx, dy;
};
constexpr Step STEPS[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};

uint16_t kind_tile(const Field_info& board, unsigned kind)
{
    return kind < 6 ? board.kind_tiles[kind] : uint16_t{0};
}

Cell_pos index_pos(const Field_info& board, int index)
{
    return make_cell_pos(index % board.columns, index / board.columns);
}

bool valid_index(const Field_info& board, int index)
{
    return index >= 0 && index < board_cell_count(board);
}

uint8_t floor_at(const Field_info& board, int index)
{
    return valid_index(board, index) ? board.cells[index].floor : uint8_t{KIND_WALL};
}

void play_banked_sound(Game_state& state)
{
    if (state.pack) {
        Level_info* level = state.pack->current_level;
        play_pack_sound(state, level ? resolve_sound(*state.pack, level->banked_sound) : nullptr);
    } else {
        play_speech(state, state.play_board.banked_sound);
    }
}

void play_solved_sound(Game_state& state)
{
    if (state.pack) {
        Level_info* level = state.pack->current_level;
        play_pack_sound(state, level ? resolve_sound(*state.pack, level->solved_sound) : nullptr);
    } else {
        play_speech(state, state.play_board.solved_sound);
    }
}

uint8_t speech(const Game_state& state, int byte)
{
    return speech_info_id(state.speech_info, byte);
}

} // namespace

int test_move(const Field_info& board, Cell_pos position, int direction, Cell_pos* new_position, int* new_index)
{
    if (direction < DIR_UP || direction > DIR_RIGHT) {
        error_box("bogus move dir (%d) in test_move", direction);
        return MOVE_WALL;
    }
    int column = cell_pos_column(position) + STEPS[direction].dx;
    int row = cell_pos_row(position) + STEPS[direction].dy;
    *new_position = make_cell_pos(column, row);
    *new_index = row * board.columns + column;
    if (!board_has_cell(board, column, row)) return MOVE_WALL;
    const Field_cell& cell = board.cells[*new_index];
    if (cell.floor == KIND_WALL) return MOVE_WALL;
    return is_free_kind(cell.content) ? MOVE_FREE : MOVE_OCCUPIED;
}

int move_player(Game_state& state, int direction)
{
    Field_info& board = state.play_board;
    Cell_pos p = player_pos(board);
    int i = board.player_y * board.columns + board.player_x;
    Cell_pos q;
    int j;
    int result = test_move(board, p, direction, &q, &j);
    if (result == MOVE_WALL || !valid_index(board, i)) return MOVED_BLOCKED;

    if (result == MOVE_FREE) {
        play_motion_sound(state, speech(state, SPEECH_STEP));
        move_piece(state, i, j, direction);
        board.moves += 1;
        board.player_x = static_cast<int16_t>(cell_pos_column(q));
        board.player_y = static_cast<int16_t>(cell_pos_row(q));
        fidget_reset(state);
        return MOVED_STEP;
    }

    Cell_pos r;
    int k;
    if (test_move(board, q, direction, &r, &k) != MOVE_FREE) return MOVED_BLOCKED;

    play_motion_sound(state, speech(state, SPEECH_PUSH));
    move_piece(state, j, k, direction); // the treasure goes first
    move_piece(state, i, j, direction);
    board.moves += 1;
    board.pushes += 1;
    board.player_x = static_cast<int16_t>(cell_pos_column(q));
    board.player_y = static_cast<int16_t>(cell_pos_row(q));
    board.undo_player_after = static_cast<int16_t>(j);
    board.undo_player_before = static_cast<int16_t>(i);
    board.undo_treasure_to = static_cast<int16_t>(k);
    board.undo_treasure_from = static_cast<int16_t>(j);

    if (is_cornered(board, k)) play_speech(state, speech(state, SPEECH_CORNER));
    if (board.banked == board.treasures) return MOVED_SOLVED; // the solved handling restarts the idling
    fidget_reset(state);
    return MOVED_PUSH;
}

void move_command(Game_state& state, int direction)
{
    if (state.mode != MODE_PLAY) return;
    if (move_player(state, direction) != MOVED_SOLVED) return;
    play_solved_sound(state);
    level_solved(state);
}

void move_piece(Game_state& state, int from, int to, int facing)
{
    Field_info& board = state.play_board;
    if (!valid_index(board, from) || !valid_index(board, to)) return;
    Field_cell& source = board.cells[from];
    Field_cell& target = board.cells[to];
    uint8_t c = source.content;
    uint8_t f = source.floor;
    source.content = f;
    source.tile = kind_tile(board, f);
    draw_cell(state, index_pos(board, from), source.tile);

    bool banked_from_start = false;
    if (c == KIND_PLAYER) {
        target.content = KIND_PLAYER;
        target.tile = player_tile_for(state, facing, index_pos(board, to));
    } else if (target.floor != KIND_BANK) {
        target.content = KIND_TREASURE;
        target.tile = kind_tile(board, KIND_TREASURE);
        if (f == KIND_BANK) board.banked -= 1;
    } else {
        target.content = KIND_BANKED_TREASURE;
        target.tile = kind_tile(board, KIND_BANKED_TREASURE);
        if (f == KIND_FLOOR) {
            // Only the first banking from the starting count is announced.
            banked_from_start = board.banked == board.banked_at_start;
            board.banked += 1;
        }
    }
    draw_cell(state, index_pos(board, to), target.tile);
    if (banked_from_start) play_banked_sound(state);
}

uint16_t player_tile_for(const Game_state& state, int facing, Cell_pos position)
{
    bool odd_row = (cell_pos_row(position) & 1) != 0;
    int slot;
    switch (facing) {
    case DIR_NONE: slot = PLAYER_SLOT_STAND; break;
    case DIR_UP: slot = odd_row ? PLAYER_SLOT_17 : PLAYER_SLOT_23; break;
    case DIR_DOWN: slot = odd_row ? PLAYER_SLOT_15 : PLAYER_SLOT_20; break;
    case DIR_LEFT: slot = PLAYER_SLOT_STAND; break;
    case DIR_RIGHT: slot = PLAYER_SLOT_21; break;
    case DIR_BACK_UP: slot = PLAYER_SLOT_23; break;
    case DIR_BACK_DOWN: slot = PLAYER_SLOT_24; break;
    case DIR_BACK_LEFT: slot = PLAYER_SLOT_15; break;
    case DIR_BACK_RIGHT: slot = PLAYER_SLOT_20; break;
    default: return 0;
    }
    return tile_info_slot(state.tile_info, slot);
}

int backing_dir(int from, int to, int columns)
{
    int ax = from % columns, ay = from / columns;
    int bx = to % columns, by = to / columns;
    if (ax < bx) return DIR_BACK_RIGHT;
    if (ax > bx) return DIR_BACK_LEFT;
    if (ay < by) return DIR_BACK_DOWN;
    if (ay > by) return DIR_BACK_UP;
    return DIR_NONE;
}

// Walls only: a treasure beside it does not make a corner, and on a bank
// nothing is ever cornered. Neighbours are found by index arithmetic, so on
// the edge columns they wrap into the next row as they always have.
int is_cornered(const Field_info& board, int k)
{
    if (floor_at(board, k) == KIND_BANK) return 0;
    int columns = board.columns;
    bool up = floor_at(board, k - columns) == KIND_WALL;
    bool right = floor_at(board, k + 1) == KIND_WALL;
    bool down = floor_at(board, k + columns) == KIND_WALL;
    bool left = floor_at(board, k - 1) == KIND_WALL;
    return ((up && right) || (right && down) || (down && left) || (up && left)) ? 1 : 0;
}

void undo_push(Game_state& state)
{
    Field_info& board = state.play_board;
    if (state.mode != MODE_PLAY || board.undo_player_after == -1) return;
    fidget_reset(state);
    walk_stop(state);

    int after = board.undo_player_after;
    int before = board.undo_player_before;
    int current = board.player_y * board.columns + board.player_x;
    if (current != after) move_piece(state, current, after, DIR_NONE); // the walk back is not counted

    move_piece(state, after, before, backing_dir(after, before, board.columns));
    board.player_x = static_cast<int16_t>(before % board.columns);
    board.player_y = static_cast<int16_t>(before / board.columns);
    board.moves += 1;
    board.undo_player_before = board.undo_player_after = -1;

    play_speech(state, speech(state, SPEECH_UNDO));

    if (board.undo_treasure_to != -1) {
        move_piece(state, board.undo_treasure_to, board.undo_treasure_from, DIR_NONE);
        board.moves += 1;
        board.pushes += 1;
        board.undo_treasure_from = board.undo_treasure_to = -1;
    }
}

void reset_board(Game_state& state, bool keep_counters)
{
    Field_info& board = state.play_board;
    uint32_t start_time = board.start_time;
    uint16_t moves = board.moves;
    uint16_t pushes = board.pushes;
    copy_board(state, board, state.pristine_board);
    board.banked = board.banked_at_start;
    if (keep_counters) {
        board.start_time = start_time;
        board.moves = moves;
        board.pushes = pushes;
    } else {
        board.start_time = static_cast<uint32_t>(platform_now_seconds());
        board.moves = board.pushes = 0;
    }
    board.undo_player_after = -1;
    walk_stop(state);
}

void restart_level(Game_state& state)
{
    reset_board(state, true);
    draw_board(state, state.play_board, false);
    set_message_line(state, state.play_board);
    play_speech(state, state.play_board.start_sound);
    fidget_reset(state);
    state.mode = MODE_PLAY;
}
