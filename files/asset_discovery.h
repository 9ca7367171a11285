// Finding and reading the game's data at start-up: the map file, then every
// level pack in the working directory.
#pragma once

#include "files/file_diagnostics.h"

struct Game_state;

constexpr const char* MAP_FILE_NAME = "Zandrek.map";
constexpr const char* SCORE_FILE_NAME = "Zandrek.score";
constexpr const char* PACK_PATTERN = "*.zrp";

// Stores the map and score file names in the game state; always 0.
int set_file_names(Game_state& state);
// Reads the map file and then every pack: 0, or -1 when the map file could
// not be read (no pack is read then). What the map reader had to tell is
// appended to `diagnostics`, for the caller to show.
int load_assets(Game_state& state, File_diagnostics& diagnostics);
