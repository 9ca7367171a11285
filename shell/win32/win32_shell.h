// The Win32 objects the platform layer draws, sounds and stores through.
// The start-up code creates them; the platform layer only uses them.
#pragma once

#include <windows.h>

struct Win32_shell {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    HDC draw_dc = nullptr;  // cached window context, or the paint context while painting
    HPALETTE game_palette = nullptr;
    HKEY settings_key = nullptr;
    HCURSOR arrow_cursor = nullptr;
    HCURSOR cross_cursor = nullptr;
    HWAVEOUT wave_out = nullptr;
    WAVEHDR wave_header{};
};

Win32_shell& win32_shell();
bool palette_device(HDC dc);
