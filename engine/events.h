// Input reaches the engine only as Game_event records handed to handle_event.
#pragma once

#include <cstdint>

struct Game_state;

enum : int32_t {
    EVENT_KEY = 1,
    EVENT_KEY_UP = 2, // key released; the engine does nothing with it
    EVENT_BUTTON = 3,
    EVENT_MOTION = 4,
    EVENT_PAINT = 5,
};

enum : int32_t {
    CODE_ESCAPE = 0,
    CODE_F1 = 1,
    CODE_F8 = 8,
    CODE_F9 = 9,
    CODE_F10 = 10,
    CODE_UP = 13,
    CODE_DOWN = 14,
    CODE_LEFT = 15,
    CODE_RIGHT = 16,
    CODE_U = 17,
    CODE_BACKSPACE = 18,
    CODE_DELETE = 19,
    CODE_SLASH = 20,
    CODE_QUESTION = 21,
    CODE_A = 22,
    CODE_B = 23,
    CODE_C = 24,
    CODE_D = 25,
    CODE_E = 26,
    CODE_F = 27,
    CODE_G = 28,
    CODE_H = 29,
    CODE_J = 30,
    CODE_K = 31,
    CODE_L = 32,
    CODE_M = 33,
    CODE_N = 34,
    CODE_P = 35,
    CODE_R = 36,
    CODE_S = 37,
    CODE_T = 38,
    CODE_V = 39,
    CODE_W = 40,
    CODE_X = 41,
    CODE_OTHER_KEY = 48,
    CODE_KEY_RELEASED = 53,
    CODE_MOUSE_MOVED = 54,
    CODE_PAINT = 56,
    CODE_LEFT_DOWN = 57,
    CODE_RIGHT_DOWN = 58,
    CODE_LEFT_UP = 62,
    CODE_RIGHT_UP = 63,
};

enum : int32_t { EVENT_FLAG_SHIFT = 1, EVENT_FLAG_CTRL = 2 };

struct Game_event {
    int32_t type;
    int32_t code;
    int32_t flags;
    int32_t x;
    int32_t y;
};

void handle_event(Game_state& state, const Game_event& event);
void leave_screen(Game_state& state);
void repaint(Game_state& state);
