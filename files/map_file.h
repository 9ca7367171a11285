// "Zandrek.map": a FORM of type SOKO holding the built-in levels, the screen
// boards, the tile images, the idle-animation and speech tables and the
// sampled sounds. It is read once at start-up and stays open; boards, images
// and sample bytes are read from it on demand at the positions noted here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/field.h"
#include "files/file_diagnostics.h"

struct Game_state;
struct Sample_info;

// Opens the file named by state.map_file_name, checks it and fills the game
// state. 0, or -1; what it has to tell (a failure's one error, and any
// unknown chunk passed over) is appended to `diagnostics`.
int read_map_file(Game_state& state, File_diagnostics& diagnostics);
// The SAMP chunk with the file positioned at its data: the sample index
// becomes state.samples. 0, or -1 with its error appended.
int MD_load_samples(Game_state& state, uint32_t length, File_diagnostics& diagnostics);

// Positioned reads on the open map file. Each reads only inside its chunk:
// a record that does not lie whole inside it is not read, the buffer is
// zero-filled and the result is -1.

// Board record n (n >= 1 a built-in level, n < 0 a special board) into
// `destination`; at most sizeof(Field_info) bytes of the record are kept.
int read_map_board(Game_state& state, Field_info& destination, int number);
// Image record `index` into `buffer`; bytes beyond the record are zeros,
// bytes beyond `capacity` are not read.
int read_map_image(Game_state& state, uint8_t* buffer, size_t capacity, uint32_t index);
// True when the sample's header and `length` data bytes lie inside the SAMP
// data, so that allocating `length` bytes for it is sound.
bool map_sample_fits(const Game_state& state, const Sample_info& sample);
// The sample's three header words into its rate word, second word and bits,
// and its `length` data bytes into `data` (room for at least `length` bytes).
int read_map_sample(Game_state& state, Sample_info& sample, uint8_t* data);
