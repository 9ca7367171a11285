// One small map for every test that needs one, written by the game's own writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "board_fixture.h"
#include "engine/game_state.h"
#include "files/map_writer.h"
#include "shell/platform_offscreen.h"

constexpr int TILE_W = 16;
constexpr int TILE_H = 12;
constexpr int TEST_TILES = 24; // tile codes 0..23, image k for code k
constexpr int TEST_LEVELS = 3;

// Pixel (x, y) of image k: a colour index that tells image, row and column apart.
inline uint8_t image_pixel(int k, int x, int y)
{
    return static_cast<uint8_t>((k * 7 + x * 3 + y * 5) % 96);
}
// The RGB the framebuffer holds for a colour index.
uint32_t colour_rgb(int index);

// Levels 1..3 then the special boards -1..-5, every board 16 x 20 floor with
// tile code (row + column + number) % TEST_TILES and the player at (3, 2);
// six samples behind speech ids 0..5 (id 6 not sampled, id 7 names a sample
// the map lacks); fidget sequences {10, 11}, {12}, {13, 14}.
Map_contents test_map_contents();

// A path under the temporary directory that no other test process uses.
std::string temp_path(const std::string& stem);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> file_bytes(const std::string& path);
// How many files the process holds open (0 where that cannot be told).
long open_descriptors();

// A fresh game state on a reset platform; its temporary files go when the
// test ends.
class Map_test : public ::testing::Test
{
  protected:
    void SetUp() override { offscreen_reset(); }
    void TearDown() override;
    std::string path(const std::string& stem) { return paths.emplace_back(temp_path(stem)); }
    // A fresh folder, the working directory until the test ends.
    void enter_temp_folder();
    // Writes the bytes and reads them as the game reads its map.
    int read_bytes(const std::vector<uint8_t>& bytes);
    // Reads `contents` as the game does, builds the palette, sets the
    // magnification and leaves a black framebuffer and an empty call record.
    void open_map(const Map_contents& contents = test_map_contents(), int magnify = 2);
    uint32_t pixel(int x, int y) const;
    // Cells of the blits recorded so far, in order (column, row).
    std::vector<std::pair<int, int>> blitted_cells() const;

    Game_state state;
    std::vector<std::string> paths;
    std::filesystem::path home_folder;
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
// The copy at the point the game's generator has reached, for the numbers it draws next.
inline Reference_random generator_of(const Game_state& state)
{
    return Reference_random{state.draw.random_seed};
}
