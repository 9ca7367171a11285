#include <cstring>

#include "engine/services.h"
#include "files/map_file.h"
#include "files/pack_records.h"
#include "fuzz/presentation_exercises.h"
#include "map_fixture.h"
#include "present_fixture.h"
#include "presentation/draw.h"
#include "presentation/fidget.h"
#include "presentation/palette.h"
#include "presentation/screens.h"
#include "presentation/sound.h"

namespace
{

class Draw_test : public Present_test
{
  protected:
    // Every device pixel of cell (col, row) shows image k.
    void expect_cell_shows_image(int col, int row, int k)
    {
        int m = state.magnify;
        for (int y = 0; y < TILE_H * m; ++y)
            for (int x = 0; x < TILE_W * m; ++x)
                ASSERT_EQ(pixel(col * TILE_W * m + x, row * TILE_H * m + y), colour_rgb(image_pixel(k, x / m, y / m)))
                    << "cell " << col << "," << row << " pixel " << x << "," << y << " at magnification " << m;
    }

    // Every device pixel of the cell shows the pack tile, stretched or shrunk.
    void expect_cell_shows_pack_tile(int col, int row, const Pack_tile& tile)
    {
        int m = state.magnify, w = TILE_W * m, h = TILE_H * m;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sx = x * tile.width / w, sy = y * tile.height / h;
                ASSERT_EQ(pixel(col * w + x, row * h + y), colour_rgb(tile.pixels[sy * tile.width + sx]))
                    << tile.width << "x" << tile.height << " at magnification " << m << " pixel " << x << "," << y;
            }
    }

    int non_black_pixels() const
    {
        int n = 0;
        for (uint32_t p : offscreen().pixels)
            n += p != 0;
        return n;
    }
};

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

TEST_F(Draw_test, PaletteHeaderAndColourTableFollowTheColourMap)
{
    open_map(present_map_contents());
    const Tile_dib& dib = state.draw.tile_dib;
    EXPECT_EQ(dib.header.size, 40u);
    EXPECT_EQ(dib.header.width, TILE_W);
    EXPECT_EQ(dib.header.height, -TILE_H);
    EXPECT_EQ(dib.header.planes, 1);
    EXPECT_EQ(dib.header.bit_count, 8);
    EXPECT_EQ(dib.header.compression, 0u);
    EXPECT_EQ(dib.header.colours_used, 128u);
    EXPECT_EQ(dib.header.colours_important, 128u);
    // Entry 5 is 3343E3; the table keeps blue first.
    EXPECT_EQ(dib.colours[5].blue, 0xE3);
    EXPECT_EQ(dib.colours[5].green, 0x43);
    EXPECT_EQ(dib.colours[5].red, 0x33);
    EXPECT_EQ(colour_rgb(95), 0x002317u);
    for (int i = 96; i < 128; ++i)
        EXPECT_EQ(colour_rgb(i), 0u);
    EXPECT_EQ(state.colour_count, 128);
}

TEST_F(Draw_test, KnownTileLandsInItsCellAtEveryMagnification)
{
    for (int m = 1; m <= 4; ++m) {
        open_map(present_map_contents(), m);
        draw_tile(state, make_cell_pos(19, 15), 7);
        draw_tile(state, make_cell_pos(0, 0), 3);
        expect_cell_shows_image(19, 15, 7);
        expect_cell_shows_image(0, 0, 3);
        auto blits = offscreen_calls_of(CALL_BLIT);
        ASSERT_EQ(blits.size(), 2u);
        EXPECT_EQ(blits[0]->a, 19 * TILE_W * m);
        EXPECT_EQ(blits[0]->b, 15 * TILE_H * m);
        EXPECT_EQ(blits[0]->c, TILE_W * m);
        EXPECT_EQ(blits[0]->d, TILE_H * m);
        EXPECT_EQ(
            non_black_pixels(), 0 + [&] {
                int n = 0;
                for (int k : {7, 3})
                    for (int y = 0; y < TILE_H; ++y)
                        for (int x = 0; x < TILE_W; ++x)
                            n += colour_rgb(image_pixel(k, x, y)) != 0 ? m * m : 0;
                return n;
            }());
        TearDown();
    }
}

TEST_F(Draw_test, PackTilesOfAnySizeFillExactlyOneCell)
{
    const int sizes[][2] = {{5, 3}, {7, 13}, {1, 1}, {16, 12}, {33, 25}, {6, 2}, {20, 40}};
    for (int m = 1; m <= 4; ++m) {
        open_map(present_map_contents(), m);
        for (const auto& size : sizes) {
            auto tile = make_pack_tile("t", size[0], size[1]);
            draw_tile(state, make_cell_pos(4, 5), 9);
            draw_pack_tile(state, make_cell_pos(4, 5), *tile);
            expect_cell_shows_pack_tile(4, 5, *tile);
            // The neighbours stay black, and the shared header is as it was.
            EXPECT_EQ(pixel(4 * TILE_W * m - 1, 5 * TILE_H * m), 0u);
            EXPECT_EQ(pixel(5 * TILE_W * m, 6 * TILE_H * m - 1), 0u);
            EXPECT_EQ(pixel(4 * TILE_W * m, 6 * TILE_H * m), 0u);
            EXPECT_EQ(state.draw.tile_dib.header.width, TILE_W);
            EXPECT_EQ(state.draw.tile_dib.header.height, -TILE_H);
        }
        TearDown();
    }
}

TEST_F(Draw_test, DrawCellUsesThePackTilesOnlyForTheFiveReplaceableCodes)
{
    open_map(present_map_contents(), 1);
    Pack_info pack;
    auto level = std::make_unique<Level_info>();
    std::snprintf(level->floor_tile.name, NAME_CAPACITY, "Sand");
    std::snprintf(level->wall_tile.name, NAME_CAPACITY, "Brick");
    std::snprintf(level->treasure_tile.name, NAME_CAPACITY, "Missing");
    pack.levels = std::move(level);
    pack.current_level = pack.levels.get();
    auto sand = make_pack_tile("Sand", 3, 3);
    auto brick = make_pack_tile("Brick", 4, 4);
    brick->pixels.clear(); // a tile record without imagery
    sand->next = std::move(brick);
    pack.tiles = std::move(sand);
    state.pack = &pack;

    draw_cell(state, make_cell_pos(0, 0), 1);
    expect_cell_shows_pack_tile(0, 0, *pack.tiles);
    EXPECT_EQ(pack.current_level->floor_tile.tile, pack.tiles.get());

    draw_cell(state, make_cell_pos(1, 0), 3); // not a replaceable code
    expect_cell_shows_image(1, 0, 3);

    draw_cell(state, make_cell_pos(2, 0), 15); // the name finds nothing: built-in image, nothing cached
    expect_cell_shows_image(2, 0, 15);
    EXPECT_EQ(pack.current_level->treasure_tile.tile, nullptr);

    draw_tile(state, make_cell_pos(3, 0), 8);
    draw_cell(state, make_cell_pos(3, 0), 2); // found but without pixels: the cell keeps its picture
    expect_cell_shows_image(3, 0, 8);

    state.pack = nullptr;
    draw_cell(state, make_cell_pos(0, 1), 1);
    expect_cell_shows_image(0, 1, 1);
}

TEST_F(Draw_test, ClearDisplayBlackensTheWholeBoardArea)
{
    open_map(present_map_contents(), 4);
    for (uint32_t& p : offscreen().pixels)
        p = 0xFFFFFF;
    clear_display(state);
    auto fills = offscreen_calls_of(CALL_FILL);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->c, 1280);
    EXPECT_EQ(fills[0]->d, 768);
    for (uint32_t p : offscreen().pixels)
        ASSERT_EQ(p, 0u);
}

TEST_F(Draw_test, BoardRecordsAreAddressedFromTheLevelsAndTheSpecialBoards)
{
    open_map(present_map_contents());
    Field_info board{};
    read_board_record(state, board, 1);
    EXPECT_EQ(board.number, 1);
    read_board_record(state, board, TEST_LEVELS);
    EXPECT_EQ(board.number, TEST_LEVELS);
    for (int n = -1; n >= -5; --n) {
        read_board_record(state, board, n);
        EXPECT_EQ(board.number, n);
    }
}

TEST_F(Draw_test, WithoutADrawingContextNothingIsDrawn)
{
    open_map(present_map_contents());
    offscreen().draw_available = false;
    draw_tile(state, make_cell_pos(1, 1), 4);
    draw_pack_tile(state, make_cell_pos(1, 1), *make_pack_tile("x", 2, 2));
    clear_display(state);
    EXPECT_TRUE(offscreen().calls.empty());
}

// Bad input: whatever the map claims, nothing is read or written out of
// bounds; a cell whose image cannot be had draws the empty buffer (black).
TEST_F(Draw_test, TileCodesAndImagesThatDoNotExistDrawBlack)
{
    Map_contents m = present_map_contents();
    m.tile_table[6] = 500; // past the IMGS records
    open_map(m, 2);
    for (uint32_t& p : offscreen().pixels)
        p = 0xFFFFFF;
    draw_tile(state, make_cell_pos(0, 0), 6);
    draw_tile(state, make_cell_pos(1, 0), 400); // past the tile table
    draw_tile(state, make_cell_pos(2, 0), 0xFFFF);
    for (int col = 0; col < 3; ++col)
        for (int y = 0; y < TILE_H * 2; ++y)
            for (int x = 0; x < TILE_W * 2; ++x)
                ASSERT_EQ(pixel(col * TILE_W * 2 + x, y), 0u);
    EXPECT_EQ(pixel(3 * TILE_W * 2, 0), 0xFFFFFFu);
}

TEST_F(Draw_test, HostileTileSizesAndBrokenPackTilesDrawNothing)
{
    open_map(present_map_contents(), 1);
    const int32_t sizes[][2] = {{0, 12}, {16, 0}, {-16, 12}, {1 << 30, 12}, {16, 1 << 30}};
    for (const auto& size : sizes) {
        state.tile_info.width = size[0];
        state.tile_info.height = size[1];
        draw_tile(state, make_cell_pos(0, 0), 1);
    }
    EXPECT_TRUE(offscreen_calls_of(CALL_BLIT).empty());

    state.tile_info.width = TILE_W;
    state.tile_info.height = TILE_H;
    auto short_tile = make_pack_tile("short", 5, 5);
    short_tile->pixels.resize(24); // fewer pixels than width x height
    draw_pack_tile(state, make_cell_pos(0, 0), *short_tile);
    auto negative = make_pack_tile("negative", 3, 3);
    negative->width = -3;
    draw_pack_tile(state, make_cell_pos(0, 0), *negative);
    EXPECT_TRUE(offscreen_calls_of(CALL_BLIT).empty());

    // An image record longer than a tile is read whole into a buffer that holds it.
    Map_contents m = present_map_contents();
    m.map.image_size = TILE_W * TILE_H + 37;
    for (auto& image : m.images)
        image.resize(m.map.image_size, 1);
    TearDown();
    open_map(m, 1);
    draw_tile(state, make_cell_pos(2, 2), 4);
    expect_cell_shows_image(2, 2, 4);
}

} // namespace

namespace
{

// Damaged maps, made by deterministic random mutation of a good one: whatever
// the reader accepts is drawn, shown and sounded in full, and nothing reads or
// writes out of bounds (the sanitizer builds watch that).
class Damaged_map_test : public Present_test
{
  protected:
    std::vector<uint8_t> mutate(const std::vector<uint8_t>& good, uint32_t& seed)
    {
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return seed >> 8;
        };
        std::vector<uint8_t> bytes = good;
        switch (next() % 4) {
        case 0: // a few bytes anywhere
            for (uint32_t n = next() % 8 + 1; n > 0; --n)
                bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
            break;
        case 1: { // a wild 32-bit value where a length or count may stand
            size_t at = next() % (bytes.size() - 4);
            const uint32_t wild[] = {0, 1, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 65535, 1340, next()};
            uint32_t v = wild[next() % 8];
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
            break;
        }
        case 2: // cut short
            bytes.resize(next() % bytes.size());
            break;
        default: { // a 16-bit value
            size_t at = next() % (bytes.size() - 2);
            uint16_t v = static_cast<uint16_t>(next());
            bytes[at] = static_cast<uint8_t>(v);
            bytes[at + 1] = static_cast<uint8_t>(v >> 8);
            break;
        }
        }
        return bytes;
    }
};

TEST_F(Damaged_map_test, WhateverTheReaderAcceptsIsDrawnAndSoundedWithinBounds)
{
    std::vector<uint8_t> good = write_map_bytes(present_map_contents());
    std::string path = temp_map_path("damaged");
    paths.push_back(path);
    uint32_t seed = 20261206;
    int accepted = 0;
    for (int round = 0; round < 120; ++round) {
        std::vector<uint8_t> bytes = mutate(good, seed);
        TearDown();
        offscreen_reset(1);
        state.magnify = 1;
        {
            FILE* f = std::fopen(path.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        state.map_file_name = path;
        if (read_map_file(state) != 0) continue;
        ++accepted;
        offscreen().recording = false;
        exercise_presentation(state, TEST_LEVELS + 1);
    }
    EXPECT_GT(accepted, 20);
}

} // namespace
