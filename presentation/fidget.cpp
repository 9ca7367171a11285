#include "engine/game_state.h"
#include "engine/services.h"

// First cut of the idle animation: restarting it is all the engine needs.
void fidget_reset(Game_state& state)
{
    state.fidget.state = 0;
    state.fidget.counter = 0;
    state.fidget.wait = 3;
}

void stop_game_timers(Game_state& state)
{
    if (state.msgline_timer) state.msgline_timer->stop();
    if (state.fidget_timer) state.fidget_timer->stop();
}

void restart_game_timers(Game_state& state)
{
    if (state.msgline_timer) state.msgline_timer->restart();
    if (state.fidget_timer) state.fidget_timer->restart();
}
