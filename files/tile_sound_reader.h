// Tile:/BigTile: and Sound: records of a pack file, and the text encoding of
// sound samples.
#pragma once

#include <cstdint>
#include <string_view>

struct Line_source;
struct Pack_tile;
struct Pack_sound;

// Hostile sizes must not make the reader allocate without bound: a tile
// larger than this many pixels, or a sound longer than this many samples,
// keeps no picture or samples (the record itself still reads).
constexpr int64_t TILE_PIXEL_LIMIT = 512 * 512;
constexpr int64_t SOUND_SAMPLE_LIMIT = 1 << 22;

// Called right after the keyword line with a fresh record. True when the
// record's end line was read; false when the file ended first or a size line
// held no number.
bool read_tile(Pack_tile& tile, Line_source& source);
bool read_sound(Pack_sound& sound, Line_source& source);

// Decodes one line of sample text into samples[*count...], stopping when
// *count reaches `capacity`. A number the line end cuts off is dropped.
void decode_sample_line(std::string_view line, int sample_size, int16_t* samples, int capacity, int* count);
