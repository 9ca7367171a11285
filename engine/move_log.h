// The developer player's move log "Zandmove.txt" and the playbacks.
#pragma once

#include <cstdint>

struct Game_state;

void toggle_move_log(Game_state& state);
void log_move_char(Game_state& state, char c);
void replay_char(Game_state& state, char c, int32_t flags, int32_t x, int32_t y);
void play_back_log(Game_state& state, int32_t flags, int32_t x, int32_t y);
void play_back_solution(Game_state& state, int32_t flags, int32_t x, int32_t y);
void dump_tile_text(Game_state& state);
