// Drawing: the palette, cells from the map's images or a pack's own tiles at
// every magnification, the reveal orders of whole boards and the generator
// that picks them.
#include <algorithm>
#include <set>

#include "engine/services.h"
#include "files/pack_records.h"
#include "map_fixture.h"
#include "presentation/draw.h"
#include "presentation/palette.h"

namespace
{

using Cells = std::vector<std::pair<int, int>>;
using Ints = std::vector<int64_t>;
const Reveal_order ORDERS[] = {REVEAL_ROWS_DOWN, REVEAL_ROWS_UP,       REVEAL_SPIRAL,      REVEAL_SERPENTINE,
                               REVEAL_RANDOM,    REVEAL_COLUMNS_RIGHT, REVEAL_COLUMNS_LEFT};

std::unique_ptr<Pack_tile> make_pack_tile(const char* name, int w, int h)
{
    auto t = std::make_unique<Pack_tile>();
    std::snprintf(t->name, sizeof t->name, "%s", name);
    t->width = w;
    t->height = h;
    for (int i = 0; i < w * h; ++i)
        t->pixels.push_back(static_cast<uint8_t>(40 + (i * 13) % 50));
    return t;
}

class Draw : public Map_test
{
  protected:
    // Every device pixel of cell (col, row) shows image k, or the pack tile
    // stretched or shrunk to the cell.
    void expect_cell(int col, int row, int k, const Pack_tile* tile = nullptr)
    {
        int m = state.magnify, w = TILE_W * m, h = TILE_H * m;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(pixel(col * w + x, row * h + y),
                          colour_rgb(tile ? tile->pixels[(y * tile->height / h) * tile->width + x * tile->width / w]
                                          : image_pixel(k, x / m, y / m)))
                    << "cell " << col << "," << row << " pixel " << x << "," << y << " magnification " << m;
    }
    void paint_white() { std::fill(offscreen().pixels.begin(), offscreen().pixels.end(), 0xFFFFFFu); }
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
    EXPECT_EQ(Ints({c.blue, c.green, c.red, c.reserved}), Ints({0xE3, 0x43, 0x33, 0}));
    EXPECT_EQ(colour_rgb(95), 0x002317u);
    for (int i = 96; i < 128; ++i)
        EXPECT_EQ(colour_rgb(i), 0u);
    EXPECT_EQ(state.draw.tile_dib.colours[255].red, 0);
    std::vector<uint8_t> long_map(300 * 3, 0x11); // a colour map longer than the table has room for
    state.colour_map = long_map.data();
    for (int count : {128, 300, -1, 1}) {
        state.colour_count = count;
        ASSERT_EQ(create_game_palette(state), 0);
    }
    EXPECT_EQ(state.draw.tile_dib.colours[0].red, 0x11);
    state.colour_map = nullptr;
    create_game_palette(state);
    EXPECT_EQ(state.draw.tile_dib.header.colours_used, 0u);
    EXPECT_TRUE(state.draw.tile_dib_ready);
    Ints counts; // the table has room for 256, and none is no palette
    for (const Platform_call* p : offscreen_calls_of(CALL_PALETTE))
        counts.push_back(p->a);
    EXPECT_EQ(counts, Ints({128, 256, 1}));
}

TEST_F(Draw, MapTilesAndPackTilesFillExactlyTheirCellAtEveryMagnification)
{
    for (int m = 1; m <= 4; ++m) {
        open_map(test_map_contents(), m);
        draw_tile(state, make_cell_pos(19, 15), 7);
        draw_tile(state, make_cell_pos(0, 0), 3);
        expect_cell(19, 15, 7);
        expect_cell(0, 0, 3);
        auto blits = offscreen_calls_of(CALL_BLIT);
        ASSERT_EQ(blits.size(), 2u);
        EXPECT_EQ(Ints({blits[0]->a, blits[0]->b, blits[0]->c, blits[0]->d}),
                  Ints({19 * TILE_W * m, 15 * TILE_H * m, TILE_W * m, TILE_H * m}));
        EXPECT_EQ(pixel(19 * TILE_W * m - 1, 15 * TILE_H * m), 0u);
        for (auto [w, h] : {std::pair<int, int>{5, 3}, {7, 13}, {1, 1}, {33, 25}, {6, 2}, {8, 3}}) {
            auto tile = make_pack_tile("t", w, h);
            draw_tile(state, make_cell_pos(4, 5), 9);
            draw_pack_tile(state, make_cell_pos(4, 5), *tile);
            expect_cell(4, 5, 0, tile.get());
            // The neighbours stay black, and the shared header is as it was.
            EXPECT_EQ(pixel(4 * TILE_W * m - 1, 5 * TILE_H * m) + pixel(5 * TILE_W * m, 6 * TILE_H * m - 1) +
                          pixel(4 * TILE_W * m, 6 * TILE_H * m),
                      0u);
            EXPECT_EQ(Ints({state.draw.tile_dib.header.width, state.draw.tile_dib.header.height}),
                      Ints({TILE_W, -TILE_H}));
        }
        TearDown();
    }
}

TEST_F(Draw, DrawCellUsesThePackTilesOnlyForTheFiveReplaceableCodes)
{
    open_map(test_map_contents(), 1);
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    Level_info& level = *pack.levels;
    const char* names[] = {"Sand", "Brick", "Mark", "Gold", "Chest"};
    Tile_ref* refs[] = {&level.floor_tile, &level.wall_tile, &level.bank_tile, &level.treasure_tile,
                        &level.bank_treasure_tile};
    for (int i = 4; i >= 0; --i) {
        std::snprintf(refs[i]->name, NAME_CAPACITY, "%s", names[i]);
        auto t = make_pack_tile(names[i], 3 + i, 3);
        t->next = std::move(pack.tiles);
        pack.tiles = std::move(t);
    }
    pack.current_level = &level;
    state.pack = &pack;
    const int codes[] = {1, 2, 4, 15, 16};
    for (int i = 0; i < 5; ++i) {
        draw_cell(state, make_cell_pos(i, 0), static_cast<uint16_t>(codes[i]));
        expect_cell(i, 0, 0, find_pack_tile(pack, names[i]));
        EXPECT_EQ(refs[i]->tile, find_pack_tile(pack, names[i]));
    }
    for (int code : {0, 3, 5, 14, 17}) {
        draw_cell(state, make_cell_pos(code, 1), static_cast<uint16_t>(code));
        expect_cell(code, 1, code);
    }
    std::snprintf(level.treasure_tile.name, NAME_CAPACITY, "Missing");
    level.treasure_tile.tile = nullptr;
    draw_cell(state, make_cell_pos(0, 2), 15); // the name finds nothing: the map's image, nothing cached
    expect_cell(0, 2, 15);
    EXPECT_EQ(level.treasure_tile.tile, nullptr);
    pack.tiles->pixels.clear(); // Sand without imagery: the cell keeps its picture
    draw_tile(state, make_cell_pos(1, 2), 8);
    draw_cell(state, make_cell_pos(1, 2), 1);
    expect_cell(1, 2, 8);
    pack.current_level = nullptr;
    draw_cell(state, make_cell_pos(2, 2), 2);
    expect_cell(2, 2, 2);
}

// Whatever the map claims, nothing is read or written out of bounds; a
// cell whose image cannot be had draws black.
TEST_F(Draw, ImagesAndSizesThatCannotBeHadDrawBlackOrNothing)
{
    Map_contents m = test_map_contents();
    m.tile_table[6] = 500; // past the IMGS records
    open_map(m, 2);
    paint_white();
    draw_tile(state, make_cell_pos(0, 0), 6);
    draw_tile(state, make_cell_pos(1, 0), 3);
    draw_tile(state, make_cell_pos(1, 0), TEST_TILES); // past the tile table, after a good image
    draw_tile(state, make_cell_pos(2, 0), 0xFFFF);
    for (int y = 0; y < TILE_H * 2; ++y)
        for (int x = 0; x < 3 * TILE_W * 2; ++x)
            ASSERT_EQ(pixel(x, y), 0u) << x << "," << y;
    EXPECT_EQ(pixel(3 * TILE_W * 2, 0), 0xFFFFFFu);

    // Sides past 1024 or below 1 draw nothing, for map tiles and pack tiles alike.
    offscreen().calls.clear();
    for (auto [w, h, bytes] : {std::tuple<int32_t, int32_t, size_t>{0, 12, 0},
                               {16, 0, 0},
                               {-16, 12, 0},
                               {1025, 12, 0},
                               {16, 1025, 0},
                               {1024, 1, 1024},
                               {1, 1024, 4096}}) {
        state.tile_info.width = w;
        state.tile_info.height = h;
        draw_tile(state, make_cell_pos(0, 0), 1);
        EXPECT_EQ(tile_buffer_bytes(state), bytes) << w << "x" << h;
    }
    state.tile_info.width = TILE_W;
    state.tile_info.height = TILE_H;
    auto short_tile = make_pack_tile("short", 5, 5);
    short_tile->pixels.resize(24); // fewer pixels than width x height
    draw_pack_tile(state, make_cell_pos(0, 0), *short_tile);
    for (auto [w, h] : {std::pair<int, int>{-3, 3}, {3, 0}, {0, 3}, {1025, 1}, {1, 1025}, {1024, 1}, {1, 1024}}) {
        auto bad = make_pack_tile("bad", 1, 1);
        bad->width = w;
        bad->height = h;
        bad->pixels.resize(2000);
        draw_pack_tile(state, make_cell_pos(0, 0), *bad);
    }
    EXPECT_EQ(offscreen_calls_of(CALL_BLIT).size(), 4u); // the four of sides 1 and 1024

    // An image record longer than a tile is read whole into a buffer that holds it.
    m = test_map_contents();
    m.map.image_size = TILE_W * TILE_H + 37;
    for (auto& image : m.images)
        image.resize(m.map.image_size, 1);
    TearDown();
    open_map(m, 1);
    EXPECT_EQ(tile_buffer_bytes(state), static_cast<size_t>(TILE_W * TILE_H + 40));
    draw_tile(state, make_cell_pos(2, 2), 4);
    expect_cell(2, 2, 4);
    state.tile_info.image_size = TILE_W * TILE_H + 41;
    EXPECT_EQ(tile_buffer_bytes(state), static_cast<size_t>(TILE_W * TILE_H + 44));
    state.tile_info.width = 13; // rows padded to four bytes
    state.map.image_size = state.tile_info.image_size = 0;
    EXPECT_EQ(tile_buffer_bytes(state), static_cast<size_t>(16 * TILE_H));
    state.map.image_size = 1 << 30;
    EXPECT_EQ(tile_buffer_bytes(state), size_t{1} << 20);

    // Clearing fills the whole display; without a drawing context nothing is drawn.
    state.magnify = 4;
    offscreen_reset(4);
    paint_white();
    clear_display(state);
    auto fills = offscreen_calls_of(CALL_FILL);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(Ints({fills[0]->a, fills[0]->b, fills[0]->c, fills[0]->d}), Ints({0, 0, 1280, 768}));
    EXPECT_EQ(std::count(offscreen().pixels.begin(), offscreen().pixels.end(), 0u), 1280 * 768);

    offscreen().calls.clear();
    offscreen().draw_available = false;
    draw_tile(state, make_cell_pos(1, 1), 4);
    draw_pack_tile(state, make_cell_pos(1, 1), *make_pack_tile("x", 2, 2));
    clear_display(state);
    EXPECT_TRUE(offscreen().calls.empty());
}

TEST_F(Draw, TheGeneratorIsTheLinearCongruentialOneFromSeedOne)
{
    Reference_random reference;
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(game_random(state), reference.next()) << i;
}

TEST_F(Draw, EveryOrderDrawsEveryCellOnceInItsOwnWay)
{
    open_map(test_map_contents(), 1);
    Field_info board{};
    read_board_record(state, board, 1);
    for (Reveal_order order : ORDERS) {
        Cells cells = reveal(board, order);
        std::set<std::pair<int, int>> distinct(cells.begin(), cells.end());
        EXPECT_EQ(cells.size() + distinct.size(), 640u) << order;
        EXPECT_EQ(*distinct.begin(), std::make_pair(0, 0));
        EXPECT_EQ(*distinct.rbegin(), std::make_pair(19, 15));
    }
    // order, index in the drawing, column, row
    // clang-format off
    const int steps[][4] = {
        {REVEAL_ROWS_DOWN, 1, 1, 0}, {REVEAL_ROWS_DOWN, 20, 0, 1}, {REVEAL_ROWS_UP, 0, 0, 15},
        {REVEAL_ROWS_UP, 19, 19, 15}, {REVEAL_ROWS_UP, 319, 19, 0}, {REVEAL_SERPENTINE, 0, 19, 0},
        {REVEAL_SERPENTINE, 19, 0, 0}, {REVEAL_SERPENTINE, 20, 0, 1}, {REVEAL_SERPENTINE, 40, 19, 2},
        {REVEAL_COLUMNS_RIGHT, 1, 0, 1}, {REVEAL_COLUMNS_RIGHT, 16, 1, 0}, {REVEAL_COLUMNS_LEFT, 0, 19, 0},
        {REVEAL_COLUMNS_LEFT, 16, 18, 0}, {REVEAL_COLUMNS_LEFT, 319, 0, 15}, {REVEAL_SPIRAL, 19, 19, 0},
        {REVEAL_SPIRAL, 20, 19, 1}, {REVEAL_SPIRAL, 34, 19, 15}, {REVEAL_SPIRAL, 35, 18, 15},
        {REVEAL_SPIRAL, 54, 0, 14}, {REVEAL_SPIRAL, 67, 0, 1}, {REVEAL_SPIRAL, 68, 1, 1}, {REVEAL_SPIRAL, 319, 7, 8}};
    // clang-format on
    for (const int* s : steps)
        EXPECT_EQ(reveal(board, Reveal_order(s[0])).at(s[1]), std::make_pair(s[2], s[3])) << s[0] << " @" << s[1];

    // The random order is the generator's shuffle; the scratch array stays.
    Reference_random reference;
    reference.seed = state.draw.random_seed;
    std::vector<int> entries(320);
    for (int i = 0; i < 320; ++i)
        entries[i] = i;
    Cells expected;
    for (int k = 319; k >= 0; --k) {
        int j = reference.next() % (k + 1);
        expected.emplace_back(entries[j] % 20, entries[j] / 20);
        entries[j] = entries[k];
    }
    EXPECT_EQ(reveal(board, REVEAL_RANDOM), expected);
    EXPECT_GE(state.draw.reveal_scratch.size(), 320u);

    // Boards that claim too many cells or none stay inside their buffer:
    // rows, columns, cells drawn, cells the spiral draws (it goes back over
    // a thin board's cells).
    // clang-format off
    const int claims[][4] = {{0, 20, 0, 0}, {16, 0, 0, 0}, {-3, 20, 0, 0}, {1000, 1000, 320, 639},
                             {32767, 1, 320, 638}, {1, 32767, 320, 639}, {16, 21, 320, 320}, {2, 2, 4, 4},
                             {1, 1, 1, 1}, {1, 3, 3, 5}, {3, 1, 3, 4}};
    // clang-format on
    for (const int* c : claims) {
        board.rows = static_cast<int16_t>(c[0]);
        board.columns = static_cast<int16_t>(c[1]);
        for (Reveal_order order : ORDERS)
            EXPECT_EQ(reveal(board, order).size(), size_t(c[order == REVEAL_SPIRAL ? 3 : 2]))
                << c[0] << "x" << c[1] << " order " << order;
    }
}

TEST_F(Draw, DrawBoardChoosesSlotsFromTheGeneratorAndNeverTheSameTwice)
{
    open_map(test_map_contents(), 1);
    offscreen().recording = false;
    Field_info board{};
    read_board_record(state, board, 1);
    Reference_random reference;
    int previous = 0;
    std::set<int> seen;
    for (int n = 0; n < 100; ++n) {
        int expected;
        do
            expected = (reference.next() % 44) / 4;
        while (expected == previous);
        draw_board(state, board, true);
        ASSERT_EQ(state.draw.last_reveal, expected) << n;
        for (int i = 0; REVEAL_TABLE[expected] == REVEAL_RANDOM && i < 320; ++i)
            reference.next();
        seen.insert(previous = expected);
    }
    EXPECT_EQ(seen.size(), 11u);
    // Without the random order the first slot; the next random one avoids it.
    for (int n = 0; n < 30; ++n) {
        draw_board(state, board, false);
        EXPECT_EQ(state.draw.last_reveal, 0);
        draw_board(state, board, true);
        EXPECT_NE(state.draw.last_reveal, 0);
    }
}

} // namespace
