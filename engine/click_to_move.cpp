#include "engine/click_to_move.h"

#include "engine/game_state.h"
#include "engine/services.h"

// First cut: the walk itself is still to come; stopping is already real
// because undo, resets and the solved handling call it.
void walk_start(Game_state& state, bool shift)
{
    (void)shift;
    if (state.mode != MODE_PLAY) walk_stop(state);
}

void walk_stop(Game_state& state)
{
    state.walk_sticky = 0;
    if (state.walk_timer) state.walk_timer->stop();
    set_walk_cursor(false);
}

void walk_tick(Game_state& state) { (void)state; }

int straight_step(const Game_state&, Cell_pos, Cell_pos) { return STEP_NONE; }
int path_step(const Game_state&, Cell_pos, Cell_pos) { return STEP_NONE; }
Cell_pos pointer_cell(const Game_state&) { return 0; }
