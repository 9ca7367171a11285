// The window title as the game's message line. set_message_line and
// set_window_title are in engine/game_state.h.
#pragma once

struct Game_state;

// "Zandrek: NAME - Level=N Moves=M Pushes=P Time=T"; called only in MODE_PLAY.
void show_status_title(Game_state& state);
