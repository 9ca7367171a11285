// A pack as the game's reader read it, turned into the records the authoring
// tools edit and write. Everything the reader kept is carried over, so a pack
// that is opened and saved again reads back the same.
#pragma once

#include <string>

#include "tools/authoring/level_text.h"

struct Level_info;
struct Pack_info;

Authored_level authored_level(const Level_info& level); // always 16 rows of 20
Authored_pack authored_pack(const Pack_info& pack);

// Reads pack bytes with the game's reader. 0, or -1 with the reader's
// diagnostic in `problem` ("FILE: line L: REASON (RECORD starting at line
// R)"); `pack` is left alone then.
int open_pack_text(const std::string& bytes, const std::string& file_name, Authored_pack& pack, std::string& problem);
