// Drawing: the palette, cells from map images or pack tiles at every
// magnification, and the reveal orders of whole boards.
#include <gmock/gmock.h>

#include <tuple>

#include "engine/pack_records.h"
#include "map_fixture.h"
#include "presentation/draw.h"
#include "presentation/palette.h"
#include "presentation/screens.h"

namespace
{

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
    // How many of the cell's device pixels do not show the pack tile fitted to the cell.
    int wrong_pixels(int col, int row, const Pack_tile& tile)
    {
        int m = state.magnify, w = TILE_W * m, h = TILE_H * m, wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                wrong += pixel(col * w + x, row * h + y) !=
                         colour_rgb(tile.pixels[(y * tile.height / h) * tile.width + x * tile.width / w]);
        return wrong;
    }
};

// The tiles' bitmap header as Windows reads it, then the colour table: the
// map's colours as blue, green, red and a zero, the unused entries zero.
TEST_F(Draw, TheTileBitmapHeaderDescribesTopDownTilesOfTheMapsColours)
{
    open_map();
    const Tile_dib& dib = state.draw.tile_dib;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&dib.header);
    const std::vector<uint8_t> header = {40, 0, 0, 0, 16, 0, 0, 0, 0xF4, 0xFF, 0xFF, 0xFF, 1,   0, 8, 0, 0,   0, 0, 0,
                                         0,  0, 0, 0, 0,  0, 0, 0, 0,    0,    0,    0,    128, 0, 0, 0, 128, 0, 0, 0};
    const uint8_t* last = state.colour_map + 3 * 127;
    EXPECT_THAT(std::make_tuple(std::vector<uint8_t>(bytes, bytes + 40), dib.colours[127].blue, dib.colours[127].green,
                                dib.colours[127].red, dib.colours[127].reserved, dib.colours[128].blue,
                                dib.colours[128].green, dib.colours[128].red),
                testing::FieldsAre(header, last[2], last[1], last[0], 0, 0, 0, 0));
}

TEST_F(Draw, APackLevelsNamedTilesReplaceTheFiveCodes)
{
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    Level_info& level = *pack.levels;
    Tile_ref* refs[] = {&level.floor_tile, &level.wall_tile, &level.bank_tile, &level.treasure_tile,
                        &level.bank_treasure_tile};
    const char* names[] = {"Sand", "Brick", "Mark", "Gold", "Chest"};
    const int codes[] = {1, 2, 4, 15, 16}, sides[][2] = {{5, 3}, {7, 13}, {1, 1}, {33, 25}, {8, 3}};
    for (int i = 4; i >= 0; --i) { // listed in the order of the names
        std::snprintf(refs[i]->name, NAME_CAPACITY, "%s", names[i]);
        auto t = make_pack_tile(names[i], sides[i][0], sides[i][1]);
        t->next = std::move(pack.tiles);
        pack.tiles = std::move(t);
    }
    pack.current_level = &level;
    for (int m = 1; m <= 4; ++m) {
        open_map(test_map_contents(), m);
        state.pack = &pack;
        std::fill(offscreen().pixels.begin(), offscreen().pixels.end(), 0xFFFFFFu);
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(testing::Message() << names[i] << " magnification " << m);
            draw_cell(state, make_cell_pos(4, 5), static_cast<uint16_t>(codes[i]));
            EXPECT_EQ(wrong_pixels(4, 5, *make_pack_tile(names[i], sides[i][0], sides[i][1])), 0);
            EXPECT_EQ(std::make_tuple(pixel(4 * TILE_W * m - 1, 5 * TILE_H * m),
                                      pixel(5 * TILE_W * m, 6 * TILE_H * m - 1), pixel(4 * TILE_W * m, 6 * TILE_H * m)),
                      std::make_tuple(0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu)); // the neighbours untouched
        }
        TearDown();
    }
}

TEST_F(Draw, TileSizesThatCannotBeHadDrawNothing)
{
    open_map(test_map_contents(), 2);
    // Width, height, the map's image size; the buffer's bytes (padded to four), whether a pack tile is drawn.
    // clang-format off
    const std::tuple<int, int, int, size_t, bool> cases[] = {{0, 12, 0, 0, false}, {16, 0, 0, 0, false},
        {1025, 12, 0, 0, false}, {13, 12, 0, 16 * 12, true}, {16, 12, 229, 232, true}, {4, 1024, 0, 4 * 1024, true},
        {1024, 1, 0, 1024, true}};
    // clang-format on
    for (auto [w, h, map_size, bytes, drawn] : cases) {
        state.tile_info.width = w;
        state.tile_info.height = h;
        state.map.image_size = map_size;
        offscreen().calls.clear();
        draw_pack_tile(state, make_cell_pos(0, 0), *make_pack_tile("t", w, h));
        EXPECT_EQ(std::make_tuple(tile_buffer_bytes(state), offscreen_calls_of(CALL_BLIT).size()),
                  std::make_tuple(bytes, size_t{drawn}))
            << w << "x" << h;
    }
}

// While the window has no surface to draw on (a box's loop painting before
// it is shown, say) every drawing call is passed over.
TEST_F(Draw, WithoutASurfaceNothingIsDrawn)
{
    open_map(test_map_contents(), 2);
    offscreen().draw_available = false;
    offscreen().calls.clear();
    clear_display(state);
    draw_tile(state, make_cell_pos(0, 0), 1);
    draw_pack_tile(state, make_cell_pos(1, 0), *make_pack_tile("t", TILE_W, TILE_H));
    draw_text(state, 10, 10, "Hello", TEXT_LEFT);
    EXPECT_THAT(offscreen().calls, testing::IsEmpty());
}

TEST_F(Draw, EachOrderWalksTheCellsInItsOwnWay)
{
    Field_info board{};
    open_map(test_map_contents(), 1);
    // The cells, lettered row by row, in the order drawn.
    const std::tuple<Reveal_order, int16_t, int16_t, std::string> walks[] = {
        {REVEAL_ROWS_DOWN, 3, 4, "abcdefghijkl"},    {REVEAL_ROWS_UP, 3, 4, "ijklefghabcd"},
        {REVEAL_SERPENTINE, 3, 4, "dcbaefghlkji"},   {REVEAL_COLUMNS_RIGHT, 3, 4, "aeibfjcgkdhl"},
        {REVEAL_COLUMNS_LEFT, 3, 4, "dhlcgkbfjaei"}, {REVEAL_SPIRAL, 3, 4, "abcdhlkjiefgf"},
        {REVEAL_SPIRAL, 3, 3, "abcfihgde"},          {REVEAL_SPIRAL, 3, 5, "abcdejonmlkfghihg"},
        {REVEAL_SPIRAL, 5, 3, "abcfilonmjgdehkh"},   {REVEAL_SPIRAL, 4, 5, "abcdejotsrqpkfghinml"}};
    for (auto [order, rows, cols, expected] : walks) {
        board.rows = rows;
        board.columns = cols;
        offscreen().calls.clear();
        reveal_board(state, board, order);
        std::string drawn;
        for (auto [c, r] : blitted_cells())
            drawn += static_cast<char>('a' + r * cols + c);
        EXPECT_EQ(drawn, expected) << "order " << order << " on " << rows << "x" << cols;
    }
}

TEST_F(Draw, EveryOrderShowsEachCellWithItsOwnTile)
{
    open_map(test_map_contents(), 1);
    Field_info board{};
    read_board_record(state, board, 1);
    for (Reveal_order order : {REVEAL_ROWS_DOWN, REVEAL_ROWS_UP, REVEAL_SERPENTINE, REVEAL_COLUMNS_RIGHT,
                               REVEAL_COLUMNS_LEFT, REVEAL_SPIRAL, REVEAL_RANDOM}) {
        std::fill(offscreen().pixels.begin(), offscreen().pixels.end(), 0xFFFFFFu);
        reveal_board(state, board, order);
        int wrong = 0; // cells whose corner is not their tile's
        for (int cell = 0; cell < LEVEL_ROWS * LEVEL_COLS; ++cell)
            wrong += pixel(cell % LEVEL_COLS * TILE_W, cell / LEVEL_COLS * TILE_H) !=
                     colour_rgb(image_pixel(board.cells[cell].tile, 0, 0));
        EXPECT_EQ(wrong, 0) << "order " << order;
    }
}

// The colour table holds 256 at most; a map without colours makes no palette.
TEST_F(Draw, ThePaletteTakesTheMapsColoursUpTo256)
{
    open_map();
    const std::vector<uint8_t> colours(3 * 300, 7);
    const std::tuple<const uint8_t*, int, uint32_t, std::vector<int>> rows[] = {
        {colours.data(), 1, 1, {1}}, {colours.data(), 300, 256, {256}}, {nullptr, 5, 0, {}}};
    for (const auto& [map, count, used, made] : rows) {
        state.colour_map = map;
        state.colour_count = count;
        offscreen().calls.clear();
        create_game_palette(state);
        std::vector<int> palettes;
        for (const Platform_call* c : offscreen_calls_of(CALL_PALETTE))
            palettes.push_back(c->a);
        EXPECT_EQ(std::make_tuple(state.draw.tile_dib.header.colours_used, palettes), std::make_tuple(used, made))
            << count << (map ? " colours" : " colours, no map");
    }
}

// Each entry as the bitmap wants it: blue, green, red, then a zero.
TEST_F(Draw, EachOfTheMapsColoursEntersTheColourTable)
{
    const uint8_t colours[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    state.colour_map = colours;
    state.colour_count = 3;
    create_game_palette(state);
    const uint8_t* table = reinterpret_cast<const uint8_t*>(state.draw.tile_dib.colours);
    EXPECT_THAT(std::vector<uint8_t>(table, table + 12), testing::ElementsAre(3, 2, 1, 0, 6, 5, 4, 0, 9, 8, 7, 0));
}

TEST_F(Draw, BoardsChooseARandomOrderNeverTheSameTwice)
{
    Field_info board{};
    open_map(test_map_contents(), 1);
    offscreen().recording = false;
    read_board_record(state, board, 1);
    Reference_random reference{state.draw.random_seed};
    std::vector<int> chosen, expected;
    int previous = last_reveal(state);
    for (int n = 0; n < 100; ++n) {
        int slot;
        do
            slot = (reference.next() % 44) / 4;
        while (slot == previous);
        for (int i = 0; REVEAL_TABLE[slot] == REVEAL_RANDOM && i < 320; ++i)
            reference.next();
        expected.push_back(previous = slot);
        draw_board(state, board, true);
        chosen.push_back(last_reveal(state));
    }
    EXPECT_EQ(chosen, expected);
}

} // namespace
