// Which level is current, entering levels, next and previous under the
// must-solve rule, switching level sets, and what a solved level leads to.
#pragma once

struct Game_state;
struct Level_info;

// The level played: its number in the pack played, or the built-in level's.
int current_number(const Game_state& state);
void enter_level(Game_state& state);
void build_pack_board(Game_state& state, const Level_info& level);
void next_level(Game_state& state);
void previous_level(Game_state& state);
void goto_level(Game_state& state, int n);
void select_level_set(Game_state& state, int pack_index, int level);
void choose_level(Game_state& state);
void level_solved(Game_state& state);
