// Drawing in the browser: the game draws into a framebuffer through the
// same code as the off-screen layer, and the part drawn since the last wait
// is put on the canvas. The canvas is never scaled, so every pixel is the
// game's own.
#include <emscripten.h>

#include <algorithm>

#include "shell/framebuffer/framebuffer_draw.h"
#include "shell/platform.h"
#include "shell/web/web_shell.h"

namespace
{

EM_JS(void, web_resize_canvas, (int width, int height), { ZandrekPage.resizeCanvas(width, height); });
EM_JS(void, web_put_pixels, (const uint8_t* rgba, int x, int y, int w, int h),
      { ZandrekPage.putPixels(rgba, x, y, w, h); });

Framebuffer framebuffer()
{
    Web_shell& w = web_shell();
    return Framebuffer{w.pixels.data(), w.width, w.height};
}

} // namespace

void mark_dirty(int x, int y, int w, int h)
{
    Web_shell& s = web_shell();
    int x0 = std::max(0, x), y0 = std::max(0, y);
    int x1 = std::min(s.width, x + std::max(0, w)), y1 = std::min(s.height, y + std::max(0, h));
    if (x0 >= x1 || y0 >= y1) return;
    if (s.dirty_x0 >= s.dirty_x1) {
        s.dirty_x0 = x0, s.dirty_y0 = y0, s.dirty_x1 = x1, s.dirty_y1 = y1;
        return;
    }
    s.dirty_x0 = std::min(s.dirty_x0, x0);
    s.dirty_y0 = std::min(s.dirty_y0, y0);
    s.dirty_x1 = std::max(s.dirty_x1, x1);
    s.dirty_y1 = std::max(s.dirty_y1, y1);
}

void flush_canvas()
{
    Web_shell& s = web_shell();
    if (s.dirty_x0 >= s.dirty_x1) return;
    int w = s.dirty_x1 - s.dirty_x0, h = s.dirty_y1 - s.dirty_y0;
    s.rgba.resize(static_cast<size_t>(w) * h * 4);
    uint8_t* out = s.rgba.data();
    for (int y = s.dirty_y0; y < s.dirty_y1; ++y) {
        const uint32_t* row = s.pixels.data() + static_cast<size_t>(y) * s.width + s.dirty_x0;
        for (int x = 0; x < w; ++x, out += 4) {
            out[0] = static_cast<uint8_t>(row[x] >> 16);
            out[1] = static_cast<uint8_t>(row[x] >> 8);
            out[2] = static_cast<uint8_t>(row[x]);
            out[3] = 0xFF;
        }
    }
    web_put_pixels(s.rgba.data(), s.dirty_x0, s.dirty_y0, w, h);
    s.dirty_x0 = s.dirty_x1 = 0;
}

void resize_framebuffer(int width, int height)
{
    Web_shell& s = web_shell();
    s.width = std::max(1, width);
    s.height = std::max(1, height);
    s.pixels.assign(static_cast<size_t>(s.width) * s.height, 0);
    s.dirty_x0 = s.dirty_x1 = 0;
    web_resize_canvas(s.width, s.height);
}

bool platform_get_draw_dc()
{
    return true;
}

void platform_release_draw_dc() {}

void platform_stretch_dib(const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x, int dst_y,
                          int dst_w, int dst_h)
{
    Framebuffer canvas = framebuffer();
    framebuffer_stretch(canvas, dib, bits, src_w, src_h, dst_x, dst_y, dst_w, dst_h);
    if (src_w > 0 && src_h > 0 && bits) mark_dirty(dst_x, dst_y, dst_w, dst_h);
}

void platform_fill_black(int x, int y, int w, int h)
{
    Framebuffer canvas = framebuffer();
    framebuffer_fill_black(canvas, x, y, w, h);
    mark_dirty(x, y, w, h);
}

void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb)
{
    Framebuffer canvas = framebuffer();
    framebuffer_text(canvas, x, y, text, align, rgb);
    int width = framebuffer_text_width(text);
    int left = align == TEXT_CENTRE ? x - width / 2 : x;
    // The face's rows: seven above the baseline, two below.
    mark_dirty(left, y - 7, width, 9);
}

// Every blit carries its own colour table; the canvas has no palette to realize.
void platform_create_palette(const uint8_t*, int) {}
