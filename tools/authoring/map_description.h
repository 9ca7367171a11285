// The text description a map file is built from (zandrek-tool build-map).
// One directive a line; '#' at the start of a line (after blanks) begins a
// remark; paths are relative to the file that names them.
//
//   include FILE                 read FILE's directives here
//   levels PACK [PACK...]        the first pack that reads and holds at least
//                                50 levels gives the built-in levels 1 to 50
//   level-sounds S B V           start, banked and solved sound ids of levels
//   tile-size W H                tile images are W x H palette indexes
//   cpyr|prog|arts TEXT          the three texts; \n stands for a line break
//   colour C INDEX               character C stands for palette index INDEX
//   image NAME / W rows of H     one tile image in colour characters, then end
//   tile CODE IMAGE              the tile table: tile CODE draws IMAGE
//   player T14 T15 T17 T20 T21 T23 T24   the player image table
//   fidget CODE...               one idle-animation sequence (at most 19 codes)
//   sample NAME FILE.wav         a sampled sound: mono PCM, 8 or 16 bits
//   speech NAME | speech silent  the next speech id plays sample NAME, or nothing
//   occasion NAME ID             a general sound: step push corner undo
//                                leave-title refused first-level
//   legend C TILE CONTENT FLOOR  a board character (kinds: numbers)
//   board NAME / rows / end      a special board: title help blank finale about
//   board-sounds NAME S B V X    the four sound ids of a special board
//   picture NAME FILE            a special board drawn as one picture: 16 rows
//                                of tiles, 20 tiles wide, in colour characters;
//                                each distinct tile of it gets a code of its own
//   level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED
//                                the tiles built-in levels FIRST to LAST draw
#pragma once

#include <string>

#include "files/map_writer.h"

// Reads the description at `path` and everything it names into `contents`.
// 0, or -1 with `error` holding "FILE:LINE: what is wrong". `levels_used`
// receives the pack the built-in levels came from.
int read_map_description(const std::string& path, Map_contents& contents, std::string& levels_used, std::string& error);

// A WAV file as a map sample: mono PCM of 8 bits (stored signed) or 16 bits.
// 0, or -1 with `error` set.
int read_wav_sample(const std::string& path, Map_sample& sample, std::string& error);
