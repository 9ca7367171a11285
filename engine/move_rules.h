// The rules of the puzzle: steps, pushes, the one-push undo and restart.
#pragma once

#include <cstdint>

#include "engine/field.h"

struct Game_state;

enum : int {
    DIR_NONE = -1,
    DIR_UP = 0,
    DIR_DOWN = 1,
    DIR_LEFT = 2,
    DIR_RIGHT = 3,
    DIR_BACK_UP = 4,
    DIR_BACK_DOWN = 5,
    DIR_BACK_LEFT = 6,
    DIR_BACK_RIGHT = 7,
};

enum : int { MOVE_FREE = 0, MOVE_OCCUPIED = 1, MOVE_WALL = 255 };
enum : int { MOVED_BLOCKED = -1, MOVED_STEP = 0, MOVED_PUSH = 1, MOVED_SOLVED = 2 };

// `board` gives the grid and its extent; a target off the grid reads as a wall.
int test_move(const Field_info& board, Cell_pos position, int direction, Cell_pos* new_position, int* new_index);
int move_player(Game_state& state, int direction);
void move_command(Game_state& state, int direction);
void move_piece(Game_state& state, int from, int to, int facing);
void undo_push(Game_state& state);
void reset_board(Game_state& state, bool keep_counters);
void restart_level(Game_state& state);
int is_cornered(const Field_info& board, int index);
uint16_t player_tile_for(const Game_state& state, int facing, Cell_pos position);
int backing_dir(int from, int to, int columns);

inline Cell_pos player_pos(const Field_info& board)
{
    return make_cell_pos(board.player_x, board.player_y);
}
