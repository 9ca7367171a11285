// The pack editor's operations on a whole pack: its levels' list, its name
// and its About text. Each returns 0, or -1 with why in `problem` and the
// pack unchanged. Level positions are 0-based.
#pragma once

#include <string>
#include <vector>

#include "tools/authoring/level_text.h"

// The level menu numbers a pack's levels within one hundred ids.
constexpr size_t PACK_LEVEL_LIMIT = 99;

// A new pack holding one blank level.
Authored_pack new_pack();

// Inserts before `position`; the size of the list appends.
int pack_add_level(Authored_pack& pack, size_t position, const Authored_level& level, std::string& problem);
// The last level stays: a pack without levels is no pack to the game.
int pack_remove_level(Authored_pack& pack, size_t position, std::string& problem);
// Takes the level at `from` out and puts it back so that it stands at `to`.
int pack_move_level(Authored_pack& pack, size_t from, size_t to, std::string& problem);
int pack_rename_level(Authored_pack& pack, size_t position, const std::string& name, std::string& problem);
int pack_set_name(Authored_pack& pack, const std::string& name, std::string& problem);
// Blocks as the About screen shows them; CR LF line ends become LF.
int pack_set_about(Authored_pack& pack, const std::vector<std::string>& blocks, std::string& problem);
