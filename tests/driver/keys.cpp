// Key names of driver scripts, and key presses posted the way the keyboard
// driver queues them, so that the game's TranslateMessage still makes the
// character messages of letter keys.
#include <cctype>
#include <cstring>

#include "tests/driver/driver.h"

namespace
{

struct Key_name {
    const char* name;
    int vk;
};

const Key_name KEY_NAMES[] = {
    {"UP", VK_UP},       {"DOWN", VK_DOWN}, {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},   {"ESCAPE", VK_ESCAPE},
    {"ESC", VK_ESCAPE},  {"BACK", VK_BACK}, {"DELETE", VK_DELETE}, {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN},
    {"SPACE", VK_SPACE}, {"TAB", VK_TAB},   {"F1", VK_F1},         {"F2", VK_F2},         {"F3", VK_F3},
    {"F4", VK_F4},       {"F5", VK_F5},     {"F6", VK_F6},         {"F7", VK_F7},         {"F8", VK_F8},
    {"F9", VK_F9},       {"F10", VK_F10},   {"F11", VK_F11},       {"F12", VK_F12},
};

// The characters of the game's stored solutions and move logs.
struct Move_key {
    char move;
    int vk;
};

const Move_key MOVE_KEYS[] = {
    {'<', VK_LEFT}, {'W', VK_LEFT}, {'>', VK_RIGHT}, {'E', VK_RIGHT}, {'^', VK_UP},
    {'N', VK_UP},   {'v', VK_DOWN}, {'S', VK_DOWN},  {'u', 'U'},      {'r', 'R'},
};

// Bits 0-15 repeat count, 16-23 scan code, 30 previous state, 31 transition.
LPARAM key_lparam(int vk, bool up)
{
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC)) & 0xFF;
    LPARAM bits = 1 | (scan << 16);
    if (up) bits |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
    return bits;
}

} // namespace

// A letter or digit stands for its own key; -1 for an unknown name.
int virtual_key(const std::string& name)
{
    for (const Key_name& k : KEY_NAMES)
        if (name == k.name) return k.vk;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    return -1;
}

void post_key(HWND window, int vk)
{
    PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(vk), key_lparam(vk, false));
    PostMessageA(window, WM_KEYUP, static_cast<WPARAM>(vk), key_lparam(vk, true));
}

// The key a move character is played with; 0 for characters a solution skips.
int move_key(char move)
{
    for (const Move_key& k : MOVE_KEYS)
        if (move == k.move) return k.vk;
    return 0;
}
