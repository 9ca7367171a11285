// The Win32 objects the platform layer draws, sounds and stores through.
// The start-up code creates them; the platform layer only uses them.
#pragma once

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

// The graphics calls of the palette path. Today's displays (and Wine's on a
// 24-bit X screen) are not palette devices, so the path would never run;
// a test puts stand-ins here to play one.
struct Palette_calls {
    int(WINAPI* get_device_caps)(HDC, int) = GetDeviceCaps;
    HPALETTE(WINAPI* select_palette)(HDC, HPALETTE, BOOL) = SelectPalette;
    BOOL(WINAPI* unrealize_object)(HGDIOBJ) = UnrealizeObject;
    UINT(WINAPI* realize_palette)(HDC) = RealizePalette;
    BOOL(WINAPI* update_colors)(HDC) = UpdateColors;
};

struct Win32_shell {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    HDC draw_dc = nullptr; // cached window context, or the paint context while painting
    HPALETTE game_palette = nullptr;
    Palette_calls gdi;
    HKEY settings_key = nullptr;
    HCURSOR arrow_cursor = nullptr;
    HCURSOR cross_cursor = nullptr;
    HWAVEOUT wave_out = nullptr;
    HMENU main_menu = nullptr;
    int show_command = SW_SHOWNORMAL;
    // Message boxes and dialogs open: their nested loops still bring paint
    // and timer messages, but input then never reaches the game.
    int modal_depth = 0;
};

Win32_shell& win32_shell();
bool palette_device(HDC dc);
// Selects the game palette as the foreground palette, resets and realizes it.
void realize_game_palette(HDC dc);

constexpr const char* WINDOW_CLASS_NAME = "Zandrek Class";
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The browser hand-over through the internet shortcut object: 0, or the
// first negative COM result. The second half takes the object made, so that
// a stand-in can be handed to it.
struct IUniformResourceLocatorA;
int invoke_url(HWND owner, const char* url);
int invoke_url_locator(IUniformResourceLocatorA* locator, HWND owner, const char* url);
