// The game's colours: the built-in colour map, the logical palette and the
// one bitmap header with colour table that every tile blit shares.
#pragma once

#include <cstdint>

#include "files/colour_map.h"

struct Game_state;

// Fills state.draw.tile_dib from the colour map and the tile size and asks
// the platform for the logical palette. 0, or -1 when there is no header.
int create_game_palette(Game_state& state);
