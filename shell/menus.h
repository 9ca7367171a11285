// The menu bar: the level picture menus built at start-up, the item states
// set before a menu opens, the magnification, and the command table.
#pragma once

struct Game_state;

void set_magnification(Game_state& state, int factor);
void update_menu_states(Game_state& state);
// One picture item per built-in level from `first` to `last` under the item `item_id`.
void build_level_menu(Game_state& state, int item_id, int first, int last);
// One submenu per pack, appended to the Level menu; reads each pack's progress.
void build_pack_menus(Game_state& state);
void free_menu_bitmaps(Game_state& state);
// The command of a WM_COMMAND id; ids it does not know do nothing.
void run_menu_command(Game_state& state, int id);
// The id of level n of the k-th pack (k = 0: the built-in levels).
int level_item_id(int pack_number, int level_number);
