#include "presentation/draw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/game_state.h"
#include "files/map_file.h"

// A hostile map may claim tiles of any size; nothing real comes near this.
constexpr int MAX_TILE_SIDE = 1024;
constexpr size_t MAX_TILE_BUFFER = size_t{1} << 20;

const Reveal_order REVEAL_TABLE[REVEAL_SLOTS] = {
    REVEAL_ROWS_DOWN, REVEAL_ROWS_UP, REVEAL_SPIRAL,        REVEAL_SPIRAL,       REVEAL_SERPENTINE, REVEAL_RANDOM,
    REVEAL_RANDOM,    REVEAL_RANDOM,  REVEAL_COLUMNS_RIGHT, REVEAL_COLUMNS_LEFT, REVEAL_RANDOM,
};

int game_random(Game_state& state)
{
    state.draw.random_seed = state.draw.random_seed * 214013u + 2531011u;
    return static_cast<int>((state.draw.random_seed >> 16) & 0x7FFF);
}

// Both reads stay inside their chunk; a record that is not there whole
// leaves a zero-filled buffer, which draws as black.
void read_board_record(Game_state& state, Field_info& destination, int number)
{
    read_map_board(state, destination, number);
}

int read_tile_image(Game_state& state, uint8_t* buffer, size_t capacity, uint32_t index)
{
    return read_map_image(state, buffer, capacity, index);
}

static bool tile_size_usable(const Game_state& state)
{
    int w = state.tile_info.width, h = state.tile_info.height;
    return w > 0 && h > 0 && w <= MAX_TILE_SIDE && h <= MAX_TILE_SIDE;
}

size_t tile_buffer_bytes(const Game_state& state)
{
    if (!tile_size_usable(state)) return 0;
    size_t bytes = static_cast<size_t>((state.tile_info.width + 3) & ~3) * static_cast<size_t>(state.tile_info.height);
    // At least one image record, which may be longer than a tile; the reader
    // cuts a record at the buffer's size, so a huge claimed size is bounded.
    for (int32_t claimed : {state.tile_info.image_size, state.map.image_size}) {
        size_t rounded = (static_cast<size_t>(std::max(claimed, 0)) + 3) & ~size_t{3};
        bytes = std::max(bytes, std::min(rounded, MAX_TILE_BUFFER));
    }
    return bytes;
}

void clear_display(Game_state& state)
{
    if (!platform_get_draw_dc()) return;
    platform_fill_black(0, 0, state.display_width * state.magnify, state.display_height * state.magnify);
}

void draw_tile(Game_state& state, Cell_pos pos, uint16_t tile)
{
    if (!platform_get_draw_dc() || !tile_size_usable(state)) return;
    int w = state.tile_info.width, h = state.tile_info.height, m = state.magnify;
    std::vector<uint8_t>& image = state.draw.tile_buffer;
    image.resize(tile_buffer_bytes(state));
    // A tile code past the table has no image: it draws an empty (black) buffer.
    if (tile < state.tile_table.size())
        read_tile_image(state, image.data(), image.size(), state.tile_table[tile]);
    else
        std::fill(image.begin(), image.end(), uint8_t{0});
    platform_stretch_dib(state.draw.tile_dib, image.data(), w, h, cell_pos_column(pos) * w * m,
                         cell_pos_row(pos) * h * m, w * m, h * m);
}

const uint8_t* pack_tile_rows(const Pack_tile& tile, std::vector<uint8_t>& scratch)
{
    // Bitmaps read rows at a 4-byte stride; pack tiles keep theirs packed.
    int tw = tile.width, th = tile.height;
    if (tw % 4 == 0) return tile.pixels.data();
    size_t stride = static_cast<size_t>((tw + 3) & ~3);
    scratch.resize(stride * static_cast<size_t>(th)); // the padding is never shown
    for (int row = 0; row < th; ++row)
        std::memcpy(&scratch[row * stride], &tile.pixels[static_cast<size_t>(row) * tw], static_cast<size_t>(tw));
    return scratch.data();
}

void draw_pack_tile(Game_state& state, Cell_pos pos, const Pack_tile& tile)
{
    if (!platform_get_draw_dc()) return;
    int tw = tile.width, th = tile.height;
    if (tw <= 0 || th <= 0 || tw > MAX_TILE_SIDE || th > MAX_TILE_SIDE) return;
    size_t packed = static_cast<size_t>(tw) * static_cast<size_t>(th);
    if (tile.pixels.size() < packed) return; // no pixels (or too few): the cell keeps its picture

    // The cell has the map's tile size; the platform takes the image's own size from the call.
    int32_t w = state.draw.tile_dib.header.width, h = state.draw.tile_dib.header.height;
    int m = state.magnify;
    std::vector<uint8_t> padded;
    platform_stretch_dib(state.draw.tile_dib, pack_tile_rows(tile, padded), tw, th, cell_pos_column(pos) * w * m,
                         cell_pos_row(pos) * -h * m, w * m, -h * m);
}

static Tile_ref* replaceable_tile(Level_info& level, uint16_t tile)
{
    switch (tile) {
    case 1: return &level.floor_tile;
    case 2: return &level.wall_tile;
    case 4: return &level.bank_tile;
    case 15: return &level.treasure_tile;
    case 16: return &level.bank_treasure_tile;
    default: return nullptr;
    }
}

void draw_cell(Game_state& state, Cell_pos pos, uint16_t tile)
{
    if (state.pack && state.pack->current_level) {
        Tile_ref* ref = replaceable_tile(*state.pack->current_level, tile);
        if (ref) {
            if (Pack_tile* own = resolve_tile(*state.pack, *ref)) {
                draw_pack_tile(state, pos, *own);
                return;
            }
        }
    }
    draw_tile(state, pos, tile);
}

namespace
{

// The grid a reveal order walks. A board claiming more cells than its
// buffer holds is walked only over the cells the buffer has.
struct Reveal_grid {
    Game_state& state;
    const Field_info& board;
    int rows, cols;

    // The walks stay inside rows x cols; only the cells past the buffer's
    // end, on the last row of a board that claims too many, are left out.
    void draw(int col, int row) const
    {
        int cell = row * board.columns + col;
        if (cell < board_cell_count(board)) draw_cell(state, make_cell_pos(col, row), board.cells[cell].tile);
    }
};

void rows_down(const Reveal_grid& g)
{
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.cols; ++c)
            g.draw(c, r);
}

void rows_up(const Reveal_grid& g)
{
    for (int r = g.rows - 1; r >= 0; --r)
        for (int c = 0; c < g.cols; ++c)
            g.draw(c, r);
}

void serpentine(const Reveal_grid& g)
{
    for (int r = 0; r < g.rows; ++r) {
        if (r % 2 == 0)
            for (int c = g.cols - 1; c >= 0; --c)
                g.draw(c, r);
        else
            for (int c = 0; c < g.cols; ++c)
                g.draw(c, r);
    }
}

void columns_right(const Reveal_grid& g)
{
    for (int c = 0; c < g.cols; ++c)
        for (int r = 0; r < g.rows; ++r)
            g.draw(c, r);
}

void columns_left(const Reveal_grid& g)
{
    for (int c = g.cols - 1; c >= 0; --c)
        for (int r = 0; r < g.rows; ++r)
            g.draw(c, r);
}

// Clockwise inward. On a board one row or one column thin the bottom row
// or left column pass goes back over cells already drawn; the game has
// always done so and only ever shows 16 by 20 boards.
void spiral(const Reveal_grid& g)
{
    int top = 0, bottom = g.rows - 1, left = 0, right = g.cols - 1;
    while (left <= right) {
        for (int c = left; c <= right; ++c)
            g.draw(c, top);
        ++top;
        if (top <= bottom)
            for (int r = top; r <= bottom; ++r)
                g.draw(right, r);
        --right;
        if (right >= left)
            for (int c = right; c >= left; --c)
                g.draw(c, bottom);
        --bottom;
        if (bottom >= top)
            for (int r = bottom; r >= top; --r)
                g.draw(left, r);
        ++left;
        if (bottom < top) break;
    }
}

void random_order(const Reveal_grid& g)
{
    size_t n = static_cast<size_t>(g.rows) * static_cast<size_t>(g.cols);
    std::vector<uint16_t>& scratch = g.state.draw.reveal_scratch;
    scratch.resize(std::max(scratch.size(), n)); // at most one board's cells: kept between reveals
    for (size_t i = 0; i < n; ++i)
        scratch[i] = static_cast<uint16_t>(i);
    for (int k = static_cast<int>(n) - 1; k >= 0; --k) {
        int j = game_random(g.state) % (k + 1);
        int i = scratch[j];
        g.draw(i % g.cols, i / g.cols);
        scratch[j] = scratch[k];
    }
}

} // namespace

void reveal_board(Game_state& state, const Field_info& board, Reveal_order order)
{
    if (board.rows < 1 || board.columns < 1) return;
    int cols = std::min<int>(board.columns, FIELD_MAX_CELLS);
    int rows_held = (FIELD_MAX_CELLS + board.columns - 1) / board.columns;
    int rows = std::min<int>(board.rows, rows_held);
    Reveal_grid grid{state, board, rows, cols};
    switch (order) {
    case REVEAL_ROWS_DOWN: rows_down(grid); break;
    case REVEAL_ROWS_UP: rows_up(grid); break;
    case REVEAL_SPIRAL: spiral(grid); break;
    case REVEAL_SERPENTINE: serpentine(grid); break;
    case REVEAL_RANDOM: random_order(grid); break;
    case REVEAL_COLUMNS_RIGHT: columns_right(grid); break;
    case REVEAL_COLUMNS_LEFT: columns_left(grid); break;
    }
}

void draw_board(Game_state& state, const Field_info& board, bool random_order)
{
    int slot = 0;
    if (random_order) {
        do {
            slot = (game_random(state) % 44) / 4;
        } while (slot == state.draw.last_reveal);
    }
    state.draw.last_reveal = slot;
    reveal_board(state, board, REVEAL_TABLE[slot]);
}
