// Small map files for tests: contents that the writer turns into a valid
// map, raw chunk assembly for hostile ones, and unique temporary paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "files/map_writer.h"

// Two built-in levels and the five special boards, three 4x4 images, a tile
// table, one fidget sequence, four speech items and three samples.
Map_contents small_map_contents();

// A path under the temporary directory that no other test uses.
std::string temp_map_path(const std::string& stem);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> file_bytes(const std::string& path);

// Raw assembly: a FORM header (form length as given) followed by chunks.
struct Raw_chunk {
    std::string id;
    std::vector<uint8_t> data;
};
std::vector<uint8_t> form_bytes(const std::vector<Raw_chunk>& chunks, int64_t form_length = -1);
// The chunks of a written map, in file order.
std::vector<Raw_chunk> split_chunks(const std::vector<uint8_t>& map_bytes);

// Texts of the error boxes shown since the last offscreen_reset.
std::vector<std::string> box_texts();

// A fresh game state on a reset platform; temporary map files go when the
// test ends.
class Map_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    int read_bytes(const std::vector<uint8_t>& bytes);
    std::string path(const std::string& stem);
    Game_state state;
    std::vector<std::string> paths;
};
