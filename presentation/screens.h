// The full-window screens (title, help, about, closing text, finale), the
// texts drawn over boards. The operations the engine calls are in
// engine/game_state.h.
#pragma once

#include <cstdint>
#include <string>

#include "shell/platform.h"

struct Game_state;

// x and y in base pixels; y is the baseline. The font is not magnified.
void draw_text(Game_state& state, int x, int y, const char* text, Text_align align);
void draw_text_left(Game_state& state, int x, int y, const char* text);
void draw_text_centred(Game_state& state, int y, const char* text);

void show_greeting(Game_state& state);
void show_screen(Game_state& state, int number);
