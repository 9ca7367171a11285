#include "engine/move_log.h"

#include "engine/game_state.h"

// First cut: the log stays closed until the move log is built.
void toggle_move_log(Game_state&) {}
void log_move_char(Game_state&, char) {}
void replay_char(Game_state&, char, int32_t, int32_t, int32_t) {}
void play_back_log(Game_state&, int32_t, int32_t, int32_t) {}
void play_back_solution(Game_state&, int32_t, int32_t, int32_t) {}
void dump_tile_text(Game_state&) {}
