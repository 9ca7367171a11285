// A game state with a board built from a picture in the layout legend, on
// the off-screen platform, ready to be played through handle_event.
#pragma once

#include <string>
#include <vector>

#include "engine/events.h"
#include "engine/game_state.h"
#include "shell/platform_offscreen.h"

// Rows in the layout legend (# wall, - floor, . bank, $ treasure, * treasure on a bank, @ player, + player on a bank;
// a space is a wall) make level 7 with start, banked and solved sounds 20, 21 and 22.
void load_board(Game_state& state, const std::vector<std::string>& rows);
// Speech id k plays four bytes of value k, already in memory. Speech_info names
// step 8, push 9, corner 10, undo 11, leaving the title 13, refused 14, first level 15.
void give_sounds(Game_state& state);
// Since the calls were last cleared: the texts of one kind of call, box texts, the speech id of each sound.
std::vector<std::string> texts_of(Call_kind kind);
std::vector<std::string> box_texts();
std::vector<int> sounds_played();
Score_entry* make_player(Game_state& state, const char* name, int level = 0);
void press(Game_state& state, int32_t code, int times = 1);
void press_keys(Game_state& state, const std::string& keys); // ^ v < > u r, as the move log writes them
void advance_ms(Game_state& state, int64_t ms);              // fires the timers as they come due
// `count` idle sequences, the last of them the walking frames.
void set_walking_frames(Game_state& state, int count, const std::vector<uint16_t>& frames);
// The idle animation's phase and the last row or cell revealed, set and read
// here alone so that tests do not depend on where the game keeps them.
uint16_t& fidget_state(Game_state& state);
int& last_reveal(Game_state& state);
// A board of level `number` solved with these counts, `seconds` after its start.
Field_info solved_board(int number, int moves, int pushes, uint32_t seconds);
