// Walking the player with the mouse: a 50 ms timer takes one step toward the
// cell under the pointer, as an arrow key would.
#pragma once

#include "engine/field.h"

struct Game_state;

enum : int { STEP_HERE = 8, STEP_NONE = -1 };

void walk_start(Game_state& state, bool shift);
void walk_stop(Game_state& state);
// One tick of the walk timer. Returns the direction it stepped in, or
// STEP_NONE when it took no step (the walk goes on either way).
int walk_tick(Game_state& state);

// A direct step along the player's row or column (which may push), or into a
// free diagonal neighbour by way of a free corner cell. STEP_HERE when the
// target is the player's own cell, STEP_NONE when there is no such step.
int straight_step(const Game_state& state, Cell_pos target, Cell_pos player);
// The first step of a shortest path over free cells; never pushes.
// Breadth first, nodes of one depth expanded newest first, neighbours tried
// up, down, left, right; the first time the target is reached decides.
int path_step(const Game_state& state, Cell_pos target, Cell_pos player);
// The same search over a linked node list searched linearly for duplicates,
// as the game first did it. It must choose the same step as path_step and
// stays only as the reference the faster search is checked against.
int path_step_scan(const Game_state& state, Cell_pos target, Cell_pos player);

// The cell under the last pointer position at the current magnification;
// may lie off the grid (the mouse is captured while the button is down).
Cell_pos pointer_cell(const Game_state& state);
// A pointer position inside the given cell at the current magnification.
void cell_pointer(const Game_state& state, int column, int row, int32_t* x, int32_t* y);

// Drives one walk as the window would: the pointer is put inside the cell, a
// left click starts the walk, walk ticks run until one takes no step, and the
// button is released. Returns the number of steps, or -1 when `tick_limit`
// ticks all stepped and the walk was cut off there.
int walk_to_cell(Game_state& state, int column, int row, int tick_limit);
