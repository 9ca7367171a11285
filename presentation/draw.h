// Drawing the board: cells from the map file's images or a pack's own
// tiles, whole boards in one of the reveal orders, and the game's random
// generator that chooses among them. The operations the engine calls are
// declared in engine/game_state.h; these are the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/field.h"

struct Game_state;
struct Pack_tile;

// seed = seed * 214013 + 2531011; bits 16 to 30 of the new seed (0..32767).
int game_random(Game_state& state);

// Reads image record `index` of the map file into `buffer`, at most
// `capacity` bytes. 0, or -1 when nothing could be read (the buffer then
// holds what it held, and that is what gets drawn).
int read_tile_image(Game_state& state, uint8_t* buffer, size_t capacity, uint32_t index);
// Bytes a buffer must have for read_tile_image and for a blit of one tile.
size_t tile_buffer_bytes(const Game_state& state);

void draw_pack_tile(Game_state& state, Cell_pos pos, const Pack_tile& tile);
// The tile's rows at the 4-byte stride bitmaps want: its own pixels when
// they already are, else a padded copy in `scratch`. The pixels must hold
// width x height bytes.
const uint8_t* pack_tile_rows(const Pack_tile& tile, std::vector<uint8_t>& scratch);

enum Reveal_order {
    REVEAL_ROWS_DOWN,
    REVEAL_ROWS_UP,
    REVEAL_SPIRAL,
    REVEAL_SERPENTINE,
    REVEAL_RANDOM,
    REVEAL_COLUMNS_RIGHT,
    REVEAL_COLUMNS_LEFT,
};
constexpr int REVEAL_SLOTS = 11;
extern const Reveal_order REVEAL_TABLE[REVEAL_SLOTS];

// Calls draw_cell once for every cell of the board, in the given order.
void reveal_board(Game_state& state, const Field_info& board, Reveal_order order);
