// A game state with a board built from a picture in the layout legend, on
// the off-screen platform, ready to be played through handle_event.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/events.h"
#include "engine/game_state.h"
#include "shell/platform_offscreen.h"

// Rows in the layout legend: # wall, - floor, . bank, $ treasure, * treasure
// on a bank, @ player, + player on a bank; a space is a wall. The board is
// level 7 with start, banked and solved sounds 20, 21 and 22.
void load_board(Game_state& state, const std::vector<std::string>& rows);
// The play board drawn back in the legend, one string per row.
std::vector<std::string> board_picture(const Field_info& board, int rows, int cols);
// Every speech id k plays a sample of four bytes of value k, already in memory,
// so a test tells the sounds apart by their bytes. Speech_info names the ids
// of the general occasions: step 8, push 9, corner 10, undo 11, leaving the
// title 13, refused 14, first level 15.
void give_sounds(Game_state& state);
// Texts of the boxes and window titles since the last offscreen_reset.
std::vector<std::string> box_texts();
std::vector<std::string> titles();
// The speech ids of the sounds handed to the wave output, in order.
std::vector<int> sounds_played();
Score_entry* make_player(Game_state& state, const char* name, int level = 0);

Game_event key_event(int32_t code);
void press(Game_state& state, int32_t code, int times = 1);
// Keys as the move log writes them: ^ v < > u r.
void press_keys(Game_state& state, const std::string& keys);
// Runs the virtual clock forward, firing timers as they come due.
void advance_ms(Game_state& state, int64_t ms);

// A board of its own on a reset platform with the sounds given.
class Board_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    // Loads the board and starts the record of platform calls afresh.
    void load(const std::vector<std::string>& rows);
    std::vector<std::string> picture() const;

    Game_state state;
    std::vector<std::string> loaded;
};
