// The game's colours: the built-in colour map, the logical palette and the
// one bitmap header with colour table that every tile blit shares.
#pragma once

#include <cstdint>

struct Game_state;

// 128 entries of red, green, blue. The map file's CMAP chunk is never read:
// its reader points the game at this table instead.
constexpr int GAME_COLOUR_COUNT = 128;
extern const uint8_t GAME_COLOUR_MAP[GAME_COLOUR_COUNT * 3];

// Fills state.draw.tile_dib from the colour map and the tile size and asks
// the platform for the logical palette. 0, or -1 when there is no header.
int create_game_palette(Game_state& state);
