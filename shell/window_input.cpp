#include "shell/window_input.h"

#include "engine/events.h"
#include "engine/game_state.h"
#include "shell/platform.h"

namespace
{

struct Key_entry {
    uint32_t virtual_key;
    int32_t code;
};
const Key_entry KEY_CODES[] = {
    {VKEY_ESCAPE, CODE_ESCAPE}, {VKEY_UP, CODE_UP},       {VKEY_DOWN, CODE_DOWN},
    {VKEY_LEFT, CODE_LEFT},     {VKEY_RIGHT, CODE_RIGHT}, {VKEY_BACKSPACE, CODE_BACKSPACE},
    {VKEY_DELETE, CODE_DELETE},
};

struct Char_entry {
    char character;
    int32_t code;
};
const Char_entry CHAR_CODES[] = {
    {'u', CODE_U}, {'/', CODE_SLASH}, {'?', CODE_QUESTION}, {'a', CODE_A}, {'b', CODE_B}, {'c', CODE_C},
    {'d', CODE_D}, {'e', CODE_E},     {'f', CODE_F},        {'g', CODE_G}, {'h', CODE_H}, {'j', CODE_J},
    {'k', CODE_K}, {'l', CODE_L},     {'m', CODE_M},        {'n', CODE_N}, {'p', CODE_P}, {'r', CODE_R},
    {'s', CODE_S}, {'t', CODE_T},     {'v', CODE_V},        {'w', CODE_W}, {'x', CODE_X},
};

struct Mouse_entry {
    Window_input input;
    int32_t type;
    int32_t code;
};
const Mouse_entry MOUSE_EVENTS[] = {
    {INPUT_MOUSE_MOVE, EVENT_MOTION, CODE_MOUSE_MOVED}, {INPUT_LEFT_DOWN, EVENT_BUTTON, CODE_LEFT_DOWN},
    {INPUT_LEFT_UP, EVENT_BUTTON, CODE_LEFT_UP},        {INPUT_RIGHT_DOWN, EVENT_BUTTON, CODE_RIGHT_DOWN},
    {INPUT_RIGHT_UP, EVENT_BUTTON, CODE_RIGHT_UP},
};

const char* const CONGRATULATION = "**** YOU DID IT!!! ****\n\n"
                                   "You have solved every level of Zandrek. More level packs are waiting "
                                   "on the Zandrek web page: drop any .zrp file beside the game and it "
                                   "appears in the Level menu.";

} // namespace

int32_t key_code(uint32_t virtual_key)
{
    if (virtual_key >= VKEY_F1 && virtual_key <= VKEY_F10) return CODE_F1 + static_cast<int32_t>(virtual_key - VKEY_F1);
    for (const Key_entry& k : KEY_CODES)
        if (k.virtual_key == virtual_key) return k.code;
    return CODE_OTHER_KEY;
}

int32_t char_code(uint32_t character)
{
    for (const Char_entry& c : CHAR_CODES)
        if (static_cast<unsigned char>(c.character) == character) return c.code;
    return CHAR_IGNORED;
}

void on_window_input(Game_state& state, Window_input input, uint32_t wparam, uint32_t lparam)
{
    Game_event event{EVENT_KEY, 0, 0, state.last_pointer_x, state.last_pointer_y};
    switch (input) {
    case INPUT_KEY_DOWN: event.code = key_code(wparam); break;
    case INPUT_KEY_UP:
        // A release of its own type: as a key event it would end the solved
        // screen the moment the key that solved the level comes up.
        event.type = EVENT_KEY_UP;
        event.code = CODE_KEY_RELEASED;
        break;
    case INPUT_CHAR:
        if (wparam == 'q' || wparam == 'Q') {
            platform_quit();
            return;
        }
        event.code = char_code(wparam);
        if (event.code == CHAR_IGNORED) return;
        break;
    default:
        for (const Mouse_entry& m : MOUSE_EVENTS) {
            if (m.input != input) continue;
            event.type = m.type;
            event.code = m.code;
        }
        // Signed 16-bit halves: a drag outside the window gives negative positions.
        state.last_pointer_x = static_cast<int16_t>(lparam & 0xFFFF);
        state.last_pointer_y = static_cast<int16_t>(lparam >> 16);
        event.x = state.last_pointer_x;
        event.y = state.last_pointer_y;
        event.flags =
            ((wparam & MOUSE_KEY_SHIFT) ? EVENT_FLAG_SHIFT : 0) | ((wparam & MOUSE_KEY_CONTROL) ? EVENT_FLAG_CTRL : 0);
        // Capture keeps the release coming when the pointer leaves the window.
        if (input == INPUT_LEFT_DOWN) platform_capture_mouse(true);
        if (input == INPUT_LEFT_UP) platform_capture_mouse(false);
        break;
    }
    handle_event(state, event);
}

void after_window_message(Game_state& state)
{
    if (!state.finale_seen) return;
    state.finale_seen = 0;
    info_box("%s", CONGRATULATION);
}
