// Drawing: the palette, cells from map images or pack tiles at every
// magnification, and the reveal orders of whole boards.
#include <algorithm>
#include <set>
#include <tuple>

#include "engine/game_state.h"
#include "engine/pack_records.h"
#include "map_fixture.h"
#include "presentation/draw.h"
#include "presentation/palette.h"

namespace
{

using Cells = std::vector<std::pair<int, int>>;
using Ints = std::vector<int64_t>;

std::unique_ptr<Pack_tile> make_pack_tile(const char* name, int w, int h)
{
    auto t = std::make_unique<Pack_tile>();
    std::snprintf(t->name, sizeof t->name, "%s", name);
    t->width = w, t->height = h;
    for (int i = 0; i < w * h; ++i)
        t->pixels.push_back(static_cast<uint8_t>(40 + (i * 13) % 50));
    return t;
}

class Draw : public Map_test
{
  protected:
    // Every device pixel of cell (col, row) shows image k (-1: black), or the pack tile fitted to the cell.
    void expect_cell(int col, int row, int k, const Pack_tile* tile = nullptr)
    {
        int m = state.magnify, w = TILE_W * m, h = TILE_H * m;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(pixel(col * w + x, row * h + y),
                          tile    ? colour_rgb(tile->pixels[(y * tile->height / h) * tile->width + x * tile->width / w])
                          : k < 0 ? 0u
                                  : colour_rgb(image_pixel(k, x / m, y / m)))
                    << "cell " << col << "," << row << " pixel " << x << "," << y << " magnification " << m;
    }
    Cells reveal(const Field_info& board, Reveal_order order)
    {
        offscreen().calls.clear();
        reveal_board(state, board, order);
        return blitted_cells();
    }
};

TEST_F(Draw, PaletteHeaderAndColourTableFollowTheColourMap)
{
    open_map();
    const Dib_header& h = state.draw.tile_dib.header;
    EXPECT_EQ(Ints({h.size, h.width, h.height, h.planes, h.bit_count, h.compression, h.size_image, h.colours_used,
                    h.colours_important, h.x_pels_per_meter + h.y_pels_per_meter}),
              Ints({40, TILE_W, -TILE_H, 1, 8, 0, 0, 128, 128, 0}));
    const Rgb_quad& c = state.draw.tile_dib.colours[5]; // 3343E3, kept blue first
    EXPECT_EQ(Ints({c.blue, c.green, c.red, c.reserved, state.draw.tile_dib.colours[255].red}),
              Ints({0xE3, 0x43, 0x33, 0, 0}));
    std::vector<uint8_t> long_map(300 * 3, 0x11); // a colour map longer than the table has room for
    Ints used; // colours in the table and in the palette made (-1: none): room for 256, none without a map (5)
    for (int count : {128, 300, -1, 5, 1}) {
        offscreen().calls.clear();
        state.colour_count = count, state.colour_map = count == 5 ? nullptr : long_map.data();
        ASSERT_EQ(create_game_palette(state), 0);
        auto made = offscreen_calls_of(CALL_PALETTE);
        used.insert(used.end(), {state.draw.tile_dib.header.colours_used, made.empty() ? -1 : made[0]->a});
    }
    EXPECT_EQ(used, Ints({128, 128, 256, 256, 0, -1, 0, -1, 1, 1}));
    EXPECT_EQ(std::make_pair(state.draw.tile_dib.colours[0].red, state.draw.tile_dib_ready),
              std::make_pair(uint8_t{0x11}, true));
}

// The five replaceable codes show the pack level's own tiles when it names them.
TEST_F(Draw, CellsShowTheMapImagesOrThePackTilesAtEveryMagnification)
{
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    Level_info& level = *pack.levels;
    const char* names[] = {"Sand", "Brick", "Mark", "Gold", "Chest"};
    Tile_ref* refs[] = {&level.floor_tile, &level.wall_tile, &level.bank_tile, &level.treasure_tile,
                        &level.bank_treasure_tile};
    const int codes[] = {1, 2, 4, 15, 16}, sides[][2] = {{5, 3}, {7, 13}, {1, 1}, {33, 25}, {8, 3}};
    for (int i = 4; i >= 0; --i) { // listed in the order of the names
        std::snprintf(refs[i]->name, NAME_CAPACITY, "%s", names[i]);
        auto t = make_pack_tile(names[i], sides[i][0], sides[i][1]);
        t->next = std::move(pack.tiles), pack.tiles = std::move(t);
    }
    pack.current_level = &level;
    Map_contents map = test_map_contents();
    map.tile_table[6] = 500; // past the image records
    for (int m = 1; m <= 4; ++m) {
        open_map(map, m);
        std::fill(offscreen().pixels.begin(), offscreen().pixels.end(), 0xFFFFFFu), state.pack = &pack;
        // Codes not replaceable, one without an image record, one past the tile table, one in the far corner.
        const int plain[] = {0, 3, 6, 14, TEST_TILES, 19};
        for (int i = 0; i < 6; ++i)
            draw_cell(state, make_cell_pos(3 * i + 4, 3 * i), static_cast<uint16_t>(plain[i]));
        for (int i = 0; i < 6; ++i)
            expect_cell(3 * i + 4, 3 * i, plain[i] == 6 || plain[i] == TEST_TILES ? -1 : plain[i]);
        for (int i = 0; i < 5; ++i) { // each found by its name, and kept
            draw_cell(state, make_cell_pos(4, 5), static_cast<uint16_t>(codes[i]));
            expect_cell(4, 5, 0, find_pack_tile(pack, names[i]));
            EXPECT_EQ(refs[i]->tile, find_pack_tile(pack, names[i]));
            EXPECT_EQ( // the neighbours stay untouched
                pixel(4 * TILE_W * m - 1, 5 * TILE_H * m) + pixel(5 * TILE_W * m, 6 * TILE_H * m - 1) +
                    pixel(4 * TILE_W * m, 6 * TILE_H * m),
                3 * 0xFFFFFFu);
        }
        TearDown();
    }
    open_map(test_map_contents(), 1), state.pack = &pack, level.treasure_tile.tile = nullptr;
    std::snprintf(level.treasure_tile.name, NAME_CAPACITY, "Missing");
    draw_cell(state, make_cell_pos(0, 2), 15); // the name finds nothing: the map's image, nothing cached
    expect_cell(0, 2, 15);
    EXPECT_EQ(level.treasure_tile.tile, nullptr);
    level.floor_tile.tile->pixels.clear(); // Sand without imagery: the cell keeps its picture
    draw_tile(state, make_cell_pos(1, 2), 8), draw_cell(state, make_cell_pos(1, 2), 1);
    expect_cell(1, 2, 8);
    pack.current_level = nullptr, draw_cell(state, make_cell_pos(2, 2), 2);
    expect_cell(2, 2, 2);
}

// Whatever the map claims, nothing is read or written out of bounds.
TEST_F(Draw, ImagesAndSizesThatCannotBeHadDrawBlackOrNothing)
{
    // Sides past 1024 or below 1 draw nothing, map tiles and pack tiles alike. The buffer holds padded rows
    // or the longest image record claimed, up to a bound: width, height, claimed tile and map image, bytes.
    open_map(test_map_contents(), 2), offscreen().calls.clear();
    // clang-format off
    const int sizes[][5] = {{0, 12, 0, 0, 0}, {16, 0, 0, 0, 0}, {-16, 12, 0, 0, 0}, {1025, 12, 0, 0, 0},
        {16, 1025, 0, 0, 0}, {1024, 1, 0, 0, 1024}, {1, 1024, 0, 0, 4096}, {13, 12, 0, 0, 16 * 12},
        {16, 12, 0, 229, 232}, {16, 12, 233, 37, 236}, {16, 12, 0, 1 << 30, 1 << 20}};
    // clang-format on
    for (auto [w, h, tile_size, map_size, bytes] : sizes) {
        state.tile_info.width = w, state.tile_info.height = h;
        state.tile_info.image_size = tile_size, state.map.image_size = map_size;
        draw_tile(state, make_cell_pos(0, 0), 1);
        draw_pack_tile(state, make_cell_pos(0, 0), *make_pack_tile("t", w, h));
        EXPECT_EQ(tile_buffer_bytes(state), size_t(bytes)) << w << "x" << h;
    }
    EXPECT_EQ(offscreen_calls_of(CALL_BLIT).size(), 12u); // map and pack tiles of the six usable sizes
    // Clearing fills the whole display; without a drawing context nothing is drawn.
    state.magnify = 4, offscreen_reset(4), clear_display(state);
    const Platform_call* fill = offscreen_calls_of(CALL_FILL).at(0);
    EXPECT_EQ(Ints({fill->a, fill->b, fill->c, fill->d}), Ints({0, 0, 1280, 768}));
    offscreen().calls.clear(), offscreen().draw_available = false; // the others are met with the screens
    draw_pack_tile(state, make_cell_pos(1, 1), *make_pack_tile("x", 2, 2));
    EXPECT_TRUE(offscreen().calls.empty());
}

TEST_F(Draw, EveryOrderDrawsEveryCellOnceInItsOwnWayAndBoardsChooseOrdersAtRandom)
{
    Field_info board{};
    open_map(test_map_contents(), 1), read_board_record(state, board, 1);
    // The random order takes one random number a cell, the first choosing among all; the scratch array stays.
    Reference_random reference{state.draw.random_seed};
    const int first = reference.next() % 320;
    for (int i = 1; i < 320; ++i)
        reference.next();
    EXPECT_EQ(reveal(board, REVEAL_RANDOM).at(0), std::make_pair(first % 20, first / 20));
    EXPECT_EQ(std::make_pair(state.draw.random_seed, state.draw.reveal_scratch.size()),
              std::make_pair(reference.seed, size_t{320}));
    // Every order draws every cell once, inside the buffer whatever the board claims: rows, columns,
    // cells drawn, draws of the spiral (it goes back over a thin board's cells).
    // clang-format off
    const int claims[][4] = {{16, 20, 320, 320}, {0, 20, 0, 0}, {16, 0, 0, 0}, {-3, 20, 0, 0}, {1000, 1000, 320, 639},
                             {32767, 1, 320, 638}, {1, 32767, 320, 639}, {16, 21, 320, 320}, {2, 2, 4, 4},
                             {1, 1, 1, 1}, {1, 3, 3, 5}, {3, 1, 3, 4}};
    // clang-format on
    for (auto [rows, cols, cells, spiral_draws] : claims) {
        board.rows = static_cast<int16_t>(rows), board.columns = static_cast<int16_t>(cols);
        for (int order = REVEAL_ROWS_DOWN; order <= REVEAL_COLUMNS_LEFT; ++order) {
            Cells drawn = reveal(board, Reveal_order(order));
            std::set<std::pair<int, int>> distinct(drawn.begin(), drawn.end());
            EXPECT_EQ(Ints({int64_t(drawn.size()), int64_t(distinct.size())}),
                      Ints({order == REVEAL_SPIRAL ? spiral_draws : cells, cells}))
                << rows << "x" << cols << " order " << order;
        }
    }
    // Each order on boards of odd and even sides: the cells, lettered row by row, in the order drawn.
    // clang-format off
    const std::tuple<Reveal_order, int16_t, int16_t, std::string> walks[] = {
        {REVEAL_ROWS_DOWN, 3, 4, "abcdefghijkl"}, {REVEAL_ROWS_UP, 3, 4, "ijklefghabcd"},
        {REVEAL_SERPENTINE, 3, 4, "dcbaefghlkji"}, {REVEAL_COLUMNS_RIGHT, 3, 4, "aeibfjcgkdhl"},
        {REVEAL_COLUMNS_LEFT, 3, 4, "dhlcgkbfjaei"}, {REVEAL_SPIRAL, 3, 4, "abcdhlkjiefgf"},
        {REVEAL_SPIRAL, 3, 3, "abcfihgde"}, {REVEAL_SPIRAL, 3, 5, "abcdejonmlkfghihg"},
        {REVEAL_SPIRAL, 5, 3, "abcfilonmjgdehkh"}, {REVEAL_SPIRAL, 4, 5, "abcdejotsrqpkfghinml"}};
    // clang-format on
    for (auto [order, rows, cols, expected] : walks) {
        board.rows = rows, board.columns = cols;
        std::string drawn;
        for (auto [c, r] : reveal(board, order))
            drawn += static_cast<char>('a' + r * cols + c);
        EXPECT_EQ(drawn, expected) << order << " " << rows << "x" << cols;
    }
    // Boards choose slots from the generator, never the same twice.
    offscreen().recording = false;
    read_board_record(state, board, 1);
    reference.seed = state.draw.random_seed;
    int previous = last_reveal(state);
    for (int n = 0; n < 100; ++n) {
        int expected;
        do
            expected = (reference.next() % 44) / 4;
        while (expected == previous);
        draw_board(state, board, true);
        ASSERT_EQ(last_reveal(state), expected) << n;
        for (int i = 0; REVEAL_TABLE[expected] == REVEAL_RANDOM && i < 320; ++i)
            reference.next();
        previous = expected;
    }
}

} // namespace
