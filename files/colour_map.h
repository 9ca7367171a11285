// The game's built-in colour map. The map file's CMAP chunk is never read:
// its reader points the game at this table instead, and the palette is made
// from it.
#pragma once

#include <cstdint>

// 128 entries of red, green, blue.
constexpr int GAME_COLOUR_COUNT = 128;
extern const uint8_t GAME_COLOUR_MAP[GAME_COLOUR_COUNT * 3];
