// What the main window's input messages become: Game_event records handed
// to the engine, with the few side effects the window itself has (mouse
// capture, quitting at once on q). The Win32 window procedure only maps a
// message to one of these inputs.
#pragma once

#include <cstdint>

struct Game_state;

enum Window_input {
    INPUT_KEY_DOWN,
    INPUT_KEY_UP,
    INPUT_CHAR,
    INPUT_MOUSE_MOVE,
    INPUT_LEFT_DOWN,
    INPUT_LEFT_UP,
    INPUT_RIGHT_DOWN,
    INPUT_RIGHT_UP,
};

// The platform's virtual-key codes the game tells apart.
enum : uint32_t {
    VKEY_BACKSPACE = 0x08,
    VKEY_ESCAPE = 0x1B,
    VKEY_LEFT = 0x25,
    VKEY_UP = 0x26,
    VKEY_RIGHT = 0x27,
    VKEY_DOWN = 0x28,
    VKEY_DELETE = 0x2E,
    VKEY_F1 = 0x70,
    VKEY_F10 = 0x79,
};
// Button-state bits of a mouse message.
enum : uint32_t { MOUSE_KEY_SHIFT = 0x4, MOUSE_KEY_CONTROL = 0x8 };

// wparam: the virtual key, the character or the button-state bits; lparam:
// for mouse inputs the client position, x in the low 16 bits, y in the high.
void on_window_input(Game_state& state, Window_input input, uint32_t wparam, uint32_t lparam);

// The engine's key code for a virtual key (48 for keys it does not tell apart).
int32_t key_code(uint32_t virtual_key);
// The engine's code for a character, or CHAR_IGNORED.
constexpr int32_t CHAR_IGNORED = -1;
int32_t char_code(uint32_t character);

// After every message but paint and palette realization: the congratulation
// once the finale has been left.
void after_window_message(Game_state& state);
