// A small map made for the drawing, screen and sound tests, read through the
// game's own map reader, with the palette in place and the off-screen
// framebuffer sized for the magnification.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "files/map_writer.h"
#include "shell/platform_offscreen.h"

constexpr int TILE_W = 16;
constexpr int TILE_H = 12;
constexpr int TEST_TILES = 24; // tile codes 0..23, image k for code k
constexpr int TEST_LEVELS = 3;

// Pixel (x, y) of image k: a colour index that tells image, row and column apart.
uint8_t image_pixel(int k, int x, int y);
// The RGB the framebuffer holds for a colour index.
uint32_t colour_rgb(int index);

// Levels 1..3 then the special boards -1..-5, every board 16 x 20 with tile
// code (row + column + number) % TEST_TILES; six samples behind speech
// ids 0..5 (id 6 not sampled, id 7 names a sample the map lacks).
Map_contents present_map_contents();


class Present_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // Writes `contents`, reads it as the game does, builds the palette and
    // sets the magnification. The framebuffer starts black.
    void open_map(const Map_contents& contents, int magnify = 2);
    uint32_t pixel(int x, int y) const;
    // Cells of the blits recorded so far, in order (column, row).
    std::vector<std::pair<int, int>> blitted_cells() const;
    std::vector<std::string> titles() const;

    Game_state state;
    std::vector<std::string> paths;
};

// An independent copy of the game's generator, for expected sequences.
struct Reference_random {
    uint32_t seed = 1;
    int next()
    {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFF);
    }
};
