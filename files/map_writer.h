// Builds map files from parts (used by the tools and the tests only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/field.h"
#include "engine/map_records.h"

struct Map_sample {
    uint16_t rate = 11025;
    uint16_t second_word = 0;
    uint16_t bits = 8;         // 8: data is signed bytes; 16: little-endian signed words
    std::vector<uint8_t> data; // as stored in the file
};

// Everything a map file carries. Boards are written in order: the built-in
// levels first (map.num_levels of them), then the special boards -1, -2, ...
struct Map_contents {
    Map_header map{}; // num_levels, record_size and image_size are taken from here
    std::vector<Field_info> boards;
    Tile_info tile_info{};
    std::vector<uint16_t> tile_table;
    std::vector<std::vector<uint8_t>> images; // each padded or cut to map.image_size
    Fidget_info fidget{};
    Speech_info speech_info{};
    std::vector<Speech_item> speech_items;
    std::vector<Map_sample> samples;
    std::string cpyr, prog, arts;
};

// The bytes of a complete, valid map file; identical contents give identical bytes.
std::vector<uint8_t> write_map_bytes(const Map_contents& contents);
int write_map_file(const Map_contents& contents, const char* path); // 0 or -1
