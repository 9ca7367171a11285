// Which player plays: the stored name on the first choice of a run, the
// name dialog afterwards.
#pragma once

struct Game_state;

// 0 when a player was chosen (state.current_player), -1 when the player
// cancelled a later change of player.
int ask_player_name(Game_state& state);
