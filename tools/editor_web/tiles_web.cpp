// The game's own tiles for the page: each tile code's picture from the map
// as RGBA pixels, and the tile code of every cell of the level being drawn,
// chosen as the game chooses them when it builds a pack level.
#include <emscripten/emscripten.h>

#include <cstring>
#include <vector>

#include "engine/game_state.h"
#include "presentation/draw.h"
#include "presentation/palette.h"
#include "tools/editor_web/editor_session_web.h"

namespace
{

// The pieces' tiles in a pack level; walls have a fixed tile, the rest the
// pack levels' kind slots.
struct Piece_tile {
    char piece;
    uint16_t tile;
};
const Piece_tile PIECE_TILES[] = {{'#', 2}, {'-', 1}, {'.', 4}, {'$', 15}, {'*', 16}, {'@', 5}, {'+', 5}};

std::vector<uint8_t> rgba;
uint16_t cell_tiles[FIELD_MAX_CELLS];

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int ed_tile_count()
{
    return static_cast<int>(web_session().game.state.tile_table.size());
}

EMSCRIPTEN_KEEPALIVE int ed_tile_width()
{
    return web_session().game.state.tile_info.width;
}

EMSCRIPTEN_KEEPALIVE int ed_tile_height()
{
    return web_session().game.state.tile_info.height;
}

// Width x height RGBA pixels of tile `code`, valid until the next call.
EMSCRIPTEN_KEEPALIVE const uint8_t* ed_tile_rgba(int code)
{
    Game_state& state = web_session().game.state;
    if (!state.colour_count) create_game_palette(state);
    const int w = state.tile_info.width, h = state.tile_info.height;
    std::vector<uint8_t> image(tile_buffer_bytes(state), 0);
    if (code >= 0 && static_cast<size_t>(code) < state.tile_table.size())
        read_tile_image(state, image.data(), image.size(), state.tile_table[static_cast<size_t>(code)]);
    rgba.assign(static_cast<size_t>(w) * h * 4, 255);
    for (int i = 0; i < w * h; ++i) {
        const uint8_t index = image[static_cast<size_t>(i)];
        const uint8_t* rgb = state.colour_map + 3 * (index < state.colour_count ? index : 0);
        std::memcpy(&rgba[static_cast<size_t>(i) * 4], rgb, 3);
    }
    return rgba.data();
}

// 320 tile codes: a piece's tile, or where the layout has no cell the
// template board's, as the game leaves it.
EMSCRIPTEN_KEEPALIVE const uint16_t* ed_cell_tiles()
{
    Editor_session& s = web_session();
    Field_info blank{};
    read_board_record(s.game.state, blank, BOARD_BLANK);
    for (int cell = 0; cell < FIELD_MAX_CELLS; ++cell) {
        const char piece = s.editor.level.rows[cell / LEVEL_COLS][cell % LEVEL_COLS];
        cell_tiles[cell] = blank.cells[cell].tile;
        for (const Piece_tile& p : PIECE_TILES)
            if (p.piece == piece) cell_tiles[cell] = p.tile;
    }
    return cell_tiles;
}

} // extern "C"
