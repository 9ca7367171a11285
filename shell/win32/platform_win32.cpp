// The platform layer on Windows: GDI, window timers, waveOut, message boxes
// and the registry key of the settings.
// windows.h must come before mmsystem.h.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <ctime>

#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

Win32_shell& win32_shell()
{
    static Win32_shell shell;
    return shell;
}

bool palette_device(HDC dc)
{
    return (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
}

// ---- drawing ----

bool platform_get_draw_dc()
{
    Win32_shell& w = win32_shell();
    if (w.draw_dc) return true;
    if (!w.main_window) return false;
    w.draw_dc = GetDC(w.main_window);
    if (!w.draw_dc) return false;
    if (w.game_palette && palette_device(w.draw_dc)) {
        SelectPalette(w.draw_dc, w.game_palette, FALSE);
        RealizePalette(w.draw_dc);
    }
    return true;
}

void platform_stretch_dib(const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x, int dst_y,
                          int dst_w, int dst_h)
{
    // The image is handed over with its own size; the header is patched for
    // this one blit and the caller's header stays as it was.
    Tile_dib patched = dib;
    patched.header.width = src_w;
    patched.header.height = -src_h;
    StretchDIBits(win32_shell().draw_dc, dst_x, dst_y, dst_w, dst_h, 0, 0, src_w, src_h, bits,
                  reinterpret_cast<const BITMAPINFO*>(&patched), DIB_RGB_COLORS, SRCCOPY);
}

void platform_fill_black(int x, int y, int w, int h)
{
    BitBlt(win32_shell().draw_dc, x, y, w, h, nullptr, 0, 0, BLACKNESS);
}

void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb)
{
    HDC dc = win32_shell().draw_dc;
    SetTextAlign(dc, (align == TEXT_CENTRE ? TA_CENTER : TA_LEFT) | TA_BASELINE);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

void platform_create_palette(const uint8_t* colour_map, int colour_count)
{
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } palette{};
    palette.version = 0x300;
    palette.count = static_cast<WORD>(colour_count > 256 ? 256 : colour_count);
    for (int i = 0; i < palette.count; ++i)
        palette.entries[i] = PALETTEENTRY{colour_map[3 * i], colour_map[3 * i + 1], colour_map[3 * i + 2], 0};
    win32_shell().game_palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
}

// ---- window ----

void platform_set_title(const char* text)
{
    if (win32_shell().main_window) SetWindowTextA(win32_shell().main_window, text);
}

void platform_set_cursor(Cursor_kind cursor)
{
    SetCursor(cursor == CURSOR_CROSS ? win32_shell().cross_cursor : win32_shell().arrow_cursor);
}

int64_t platform_now_seconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

void platform_set_timer(uint32_t id, uint32_t milliseconds)
{
    SetTimer(win32_shell().main_window, id, milliseconds, nullptr);
}
void platform_kill_timer(uint32_t id)
{
    KillTimer(win32_shell().main_window, id);
}

// ---- wave output ----

int platform_wave_open(int rate, int bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.nAvgBytesPerSec = static_cast<DWORD>(rate * bits / 8);
    format.nBlockAlign = static_cast<WORD>(bits / 8);
    format.wBitsPerSample = static_cast<WORD>(bits);
    Win32_shell& w = win32_shell();
    if (waveOutOpen(&w.wave_out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(w.main_window), 0,
                    CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        w.wave_out = nullptr;
        return -1;
    }
    return 0;
}

void platform_wave_close()
{
    Win32_shell& w = win32_shell();
    if (w.wave_out) waveOutClose(w.wave_out);
    w.wave_out = nullptr;
}

// The game's own header mirrors the one WAVEHDR the device knows about.
static void sync_from_device(Wave_header& header)
{
    const WAVEHDR& h = win32_shell().wave_header;
    header.flags = 0;
    if (h.dwFlags & WHDR_DONE) header.flags |= WAVE_DONE;
    if (h.dwFlags & WHDR_PREPARED) header.flags |= WAVE_PREPARED;
}

int platform_wave_reset()
{
    Win32_shell& w = win32_shell();
    if (!w.wave_out || waveOutReset(w.wave_out) != MMSYSERR_NOERROR) return -1;
    if (w.wave_mirror) sync_from_device(*w.wave_mirror);
    return 0;
}

int platform_wave_prepare(Wave_header& header)
{
    Win32_shell& w = win32_shell();
    w.wave_header = WAVEHDR{};
    w.wave_header.lpData = static_cast<LPSTR>(const_cast<void*>(header.data));
    w.wave_header.dwBufferLength = header.length;
    MMRESULT r = waveOutPrepareHeader(w.wave_out, &w.wave_header, sizeof(WAVEHDR));
    sync_from_device(header);
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_unprepare(Wave_header& header)
{
    Win32_shell& w = win32_shell();
    MMRESULT r = waveOutUnprepareHeader(w.wave_out, &w.wave_header, sizeof(WAVEHDR));
    sync_from_device(header);
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_write(Wave_header& header)
{
    Win32_shell& w = win32_shell();
    MMRESULT r = waveOutWrite(w.wave_out, &w.wave_header, sizeof(WAVEHDR));
    sync_from_device(header);
    header.flags &= ~WAVE_DONE;
    w.wave_mirror = &header;
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

// ---- settings ----

int platform_reg_get_dword(const char* name, uint32_t* value)
{
    DWORD type = 0, size = sizeof(DWORD), v = 0;
    if (RegQueryValueExA(win32_shell().settings_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(DWORD))
        return 0;
    *value = v;
    return 1;
}

void platform_reg_set_dword(const char* name, uint32_t value)
{
    DWORD v = value;
    RegSetValueExA(win32_shell().settings_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

int platform_reg_get_string(const char* name, char* buffer, uint32_t capacity)
{
    DWORD type = 0, size = capacity;
    if (RegQueryValueExA(win32_shell().settings_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return 0;
    return 1;
}

void platform_reg_set_string(const char* name, const char* text, uint32_t bytes)
{
    RegSetValueExA(win32_shell().settings_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

void platform_current_directory(char* buffer, int capacity)
{
    if (!GetCurrentDirectoryA(static_cast<DWORD>(capacity), buffer) && capacity > 0) buffer[0] = '\0';
}
