// Walking the player with the mouse: a 50 ms timer takes one step toward the
// cell under the pointer, as an arrow key would.
#pragma once

#include "engine/field.h"

struct Game_state;

enum : int { STEP_HERE = 8, STEP_NONE = -1 };

void walk_start(Game_state& state, bool shift);
void walk_stop(Game_state& state);
void walk_tick(Game_state& state);
int straight_step(const Game_state& state, Cell_pos target, Cell_pos player);
int path_step(const Game_state& state, Cell_pos target, Cell_pos player);
Cell_pos pointer_cell(const Game_state& state);
