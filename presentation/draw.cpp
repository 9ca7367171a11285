#include <cstring>
#include <vector>

#include "engine/game_state.h"
#include "engine/services.h"

// First cut of board drawing: rows in reading order, built-in images only.
void read_board_record(Game_state& state, Field_info& destination, int number)
{
    if (!state.map_file) return;
    long k = number >= 1 ? number - 1L : static_cast<long>(state.map.num_levels) - number - 1L;
    long pos = static_cast<long>(state.map.flds_pos) + k * state.map.record_size;
    if (std::fseek(state.map_file, pos, SEEK_SET) != 0) return;
    size_t n = std::fread(&destination, 1, board_record_bytes(state), state.map_file);
    (void)n;
}

void clear_display(Game_state& state)
{
    if (!platform_get_draw_dc()) return;
    platform_fill_black(0, 0, state.display_width * state.magnify, state.display_height * state.magnify);
}

void draw_tile(Game_state& state, Cell_pos pos, uint16_t tile)
{
    if (!platform_get_draw_dc()) return;
    int w = state.tile_info.width, h = state.tile_info.height;
    std::vector<uint8_t> image(static_cast<size_t>(w > 0 && h > 0 ? ((w + 3) & ~3) * h : 0));
    platform_stretch_dib(state.draw.tile_dib, image.data(), w, h, cell_pos_column(pos) * w * state.magnify,
                         cell_pos_row(pos) * h * state.magnify, w * state.magnify, h * state.magnify);
    (void)tile;
}

void draw_cell(Game_state& state, Cell_pos pos, uint16_t tile) { draw_tile(state, pos, tile); }

void draw_board(Game_state& state, const Field_info& board, bool random_order)
{
    (void)random_order;
    state.draw.last_reveal = 0;
    for (int row = 0; row < board.rows; ++row)
        for (int col = 0; col < board.columns; ++col)
            if (board_has_cell(board, col, row))
                draw_cell(state, make_cell_pos(col, row), board.cells[row * board.columns + col].tile);
}
