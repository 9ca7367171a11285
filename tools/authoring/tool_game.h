// The game as the tools and many tests use it: a Game_state on the off-screen
// platform, ready to play without the real map file. Without a map it runs
// on a small built-in template map (blank board -3, a tile table and the
// player images), written to a temporary file and read through the game's
// own map reader, so boards build and draw exactly as they do in the game.
#pragma once

#include <string>
#include <string_view>

#include "engine/game_state.h"
#include "files/map_writer.h"
#include "files/pack_reader.h"

struct Tool_game {
    Game_state state;
    std::string template_map; // the built-in map's temporary file; removed with the game
    std::string error;        // why the last operation failed, one line per message
    Tool_game() = default;
    ~Tool_game();
    Tool_game(const Tool_game&) = delete;
    Tool_game& operator=(const Tool_game&) = delete;
};

// The built-in template map: no built-in level worth playing, every special
// board blank (all cells wall), tiles 16 x 12 pixels.
Map_contents template_map_contents();

// Resets the off-screen platform and reads `map_path`, or the built-in
// template map when it is null. 0, or -1 with `error` holding the game's
// own messages.
int open_tool_game(Tool_game& game, const char* map_path = nullptr);

// Reads a pack through the game's reader and appends it to the game's list.
// nullptr with `error` naming the record and line that made it unreadable.
Pack_info* load_tool_pack(Tool_game& game, const char* path);

// A level number given on a command line: 0, or -1 with `error` set when it
// is not a number or lies outside the pack.
int parse_level_number(const char* text, const Pack_info& pack, int* number, std::string& error);

// Enters level `number` of the pack as the level menu does. The level range
// is the caller's to check.
void enter_tool_level(Tool_game& game, Pack_info& pack, int number);

struct Playback_result {
    int played = 0;      // characters handed to the game
    bool solved = false; // a push solved the level; playback stopped there
};

// Plays move characters through the move log playback (replay_char): <>^v,
// NSEW, u and r; every other character is skipped. With `counts_and_comments`
// a character may be followed by x%d to repeat it and text between backquotes
// is skipped, as in a move log; stored solutions know neither. Stops at the
// push that solves the level.
Playback_result play_moves(Game_state& state, std::string_view moves, bool counts_and_comments);

// A board in the layout legend over `rows` x `cols`, one line each, trailing
// spaces trimmed; the cells where `level` has no cell of play are spaces.
std::string board_legend_text(const Field_info& board, const Level_info* level, int rows, int cols);
// Rows and columns that a level's layout actually uses.
void level_extent(const Level_info& level, int* rows, int* cols);
