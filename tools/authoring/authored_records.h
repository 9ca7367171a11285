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
