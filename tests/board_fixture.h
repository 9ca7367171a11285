// A game state with a board built from a picture in the layout legend, on
// the off-screen platform, ready to be played through handle_event.
#pragma once

#include <string>
#include <vector>

#include "engine/events.h"
#include "engine/game_state.h"
#include "shell/platform_offscreen.h"

// Rows in the layout legend: # wall, - floor, . bank, $ treasure, * treasure
// on a bank, @ player, + player on a bank; a space is a wall.
void load_board(Game_state& state, const std::vector<std::string>& rows);
// The play board drawn back in the legend, one string per row.
std::vector<std::string> board_picture(const Field_info& board, int rows, int cols);
// Every speech id k plays a sample of four bytes of value k, already in memory,
// so a test tells the sounds apart by their bytes. Speech_info names the ids
// of the general occasions: step 8, push 9, corner 10, undo 11, leaving the
// title 13, refused 14, first level 15; boards use 20 (start), 21 (banked),
// 22 (solved).
void give_sounds(Game_state& state);
// The speech ids of the sounds handed to the wave output, in order.
std::vector<int> sounds_played();
Score_entry* make_player(Game_state& state, const char* name, int level = 0);

Game_event key_event(int32_t code);
void press(Game_state& state, int32_t code, int times = 1);
// Runs the virtual clock forward, firing timers as they come due.
void advance_ms(Game_state& state, int64_t ms);
