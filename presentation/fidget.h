// The two game timers and the idle animation of the player character.
// fidget_reset, stop_game_timers and restart_game_timers are in
// engine/game_state.h.
#pragma once

#include <cstdint>

struct Game_state;

constexpr int FIDGET_PERIOD_US = 300000;
constexpr int MSGLINE_PERIOD_S = 5;

// 0, or -1 after an error box when a timer object cannot be had.
int create_game_timers(Game_state& state);
void fidget_tick(Game_state& state, uint32_t user_value);
void msgline_tick(Game_state& state, uint32_t user_value);
