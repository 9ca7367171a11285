// Play-testing in the pack editor: a solution, the author's own moves or
// the solver's, is kept only after the game itself has played it.
#pragma once

#include <string>

#include "tools/authoring/level_text.h"

struct Game_state;

// Writes the level, reads it back with the game's pack reader and replays
// `moves` (<>^v) through handle_event on `state`, which needs its map read
// (open_tool_game). When the last move solves the level and no earlier one
// does, the moves become the level's solution: 0. Otherwise -1, the level
// unchanged and why in `problem`.
int store_tested_solution(Game_state& state, Authored_level& level, const std::string& moves, std::string& problem);
