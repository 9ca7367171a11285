#include "shell/window_position.h"

#include <cstdint>

#include "engine/game_state.h"
#include "shell/platform.h"

void load_window_position(int* x, int* y)
{
    uint32_t stored_x{}, stored_y{};
    bool have_x = reg_get_dword(SETTING_WINDOW_X, &stored_x) == 1;
    bool have_y = reg_get_dword(SETTING_WINDOW_Y, &stored_y) == 1;
    if (!have_x || !have_y) {
        *x = PLATFORM_DEFAULT_POSITION;
        *y = PLATFORM_DEFAULT_POSITION;
        return;
    }
    int screen_width{}, screen_height{};
    platform_screen_size(&screen_width, &screen_height);
    *x = static_cast<int32_t>(stored_x);
    *y = static_cast<int32_t>(stored_y);
    if (*x < 0 || *x >= screen_width) *x = 0;
    if (*y < 0 || *y >= screen_height) *y = 0;
}

void store_window_position(int x, int y)
{
    // Negative coordinates (a window partly off a left or upper screen edge)
    // are stored as their two's complement and read back as such.
    reg_set_dword(SETTING_WINDOW_X, static_cast<uint32_t>(x));
    reg_set_dword(SETTING_WINDOW_Y, static_cast<uint32_t>(y));
}
