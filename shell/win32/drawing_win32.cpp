// Drawing on Windows: the cached window context, 8-bit tiles stretched
// through the colour table, black fills, text, and the game palette with
// its realisation on palette devices.
#include <cstring>

#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

bool palette_device(HDC dc)
{
    return (win32_shell().gdi.get_device_caps(dc, RASTERCAPS) & RC_PALETTE) != 0;
}

void realize_game_palette(HDC dc)
{
    Win32_shell& w = win32_shell();
    w.gdi.select_palette(dc, w.game_palette, FALSE);
    w.gdi.unrealize_object(w.game_palette);
    w.gdi.realize_palette(dc);
}

bool platform_get_draw_dc()
{
    Win32_shell& w = win32_shell();
    if (w.draw_dc) return true;
    if (!w.main_window) return false;
    w.draw_dc = GetDC(w.main_window);
    if (!w.draw_dc) return false;
    if (w.game_palette && palette_device(w.draw_dc)) {
        w.gdi.select_palette(w.draw_dc, w.game_palette, FALSE);
        w.gdi.realize_palette(w.draw_dc);
    }
    return true;
}

void platform_release_draw_dc()
{
    Win32_shell& w = win32_shell();
    if (w.draw_dc) ReleaseDC(w.main_window, w.draw_dc);
    w.draw_dc = nullptr;
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
