// The off-screen drawing: the real renderer of the tool's pictures as well
// as what tests read back. Stretch-blits through the colour table, fills
// and text land in the framebuffer.
#include "shell/offscreen/offscreen_internal.h"

#include <algorithm>
#include <cstring>

namespace
{

std::vector<int>& blit_steps()
{
    static std::vector<int> steps;
    return steps;
}

// Source coordinate of every destination step: floor(i * src / dst), walked
// without a division per pixel.
void stretch_steps(int first, int count, int src, int dst, int* out)
{
    int64_t whole = (static_cast<int64_t>(first) * src) / dst;
    int64_t rest = (static_cast<int64_t>(first) * src) % dst;
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<int>(whole);
        rest += src;
        while (rest >= dst) {
            rest -= dst;
            ++whole;
        }
    }
}

// The colour table turned into framebuffer pixels, kept while it stays the same.
const uint32_t* pixel_colours(const Tile_dib& dib)
{
    static Rgb_quad seen[256];
    static uint32_t colour[256];
    static bool filled = false;
    if (!filled || std::memcmp(seen, dib.colours, sizeof seen) != 0) {
        std::memcpy(seen, dib.colours, sizeof seen);
        for (int i = 0; i < 256; ++i)
            colour[i] = (uint32_t{seen[i].red} << 16) | (uint32_t{seen[i].green} << 8) | seen[i].blue;
        filled = true;
    }
    return colour;
}

} // namespace

bool platform_get_draw_dc()
{
    return offscreen().draw_available;
}

void platform_stretch_dib(const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x, int dst_y,
                          int dst_w, int dst_h)
{
    Platform_call& c = offscreen_record(CALL_BLIT);
    c.a = dst_x, c.b = dst_y, c.c = dst_w, c.d = dst_h;
    Offscreen& o = offscreen();
    if (!o.recording) return; // the no-op sink draws nothing either
    // An empty destination is caught by the clipping below.
    if (src_w <= 0 || src_h <= 0 || !bits) return;
    int x0 = std::max(0, dst_x), x1 = static_cast<int>(std::min<int64_t>(o.width, int64_t{dst_x} + dst_w));
    int y0 = std::max(0, dst_y), y1 = static_cast<int>(std::min<int64_t>(o.height, int64_t{dst_y} + dst_h));
    if (x0 >= x1 || y0 >= y1) return;
    size_t stride = static_cast<size_t>((src_w + 3) & ~3);
    const uint32_t* colour = pixel_colours(dib);
    int width = x1 - x0, height = y1 - y0;
    std::vector<int>& steps = blit_steps();
    steps.resize(static_cast<size_t>(width + height));
    int* source_x = steps.data();
    int* source_y = source_x + width;
    stretch_steps(x0 - dst_x, width, src_w, dst_w, source_x);
    stretch_steps(y0 - dst_y, height, src_h, dst_h, source_y);
    uint32_t* last_row = nullptr;
    for (int j = 0; j < height; ++j) {
        uint32_t* row = o.pixels.data() + static_cast<size_t>(y0 + j) * o.width + x0;
        // Magnified rows repeat the one above: copy it instead of looking up again.
        if (last_row && source_y[j] == source_y[j - 1]) {
            std::memcpy(row, last_row, sizeof(uint32_t) * static_cast<size_t>(width));
            last_row = row;
            continue;
        }
        const uint8_t* src = bits + static_cast<size_t>(source_y[j]) * stride;
        for (int x = 0; x < width; ++x)
            row[x] = colour[src[source_x[x]]];
        last_row = row;
    }
}

void platform_fill_black(int x, int y, int w, int h)
{
    Platform_call& c = offscreen_record(CALL_FILL);
    c.a = x, c.b = y, c.c = w, c.d = h;
    Offscreen& o = offscreen();
    if (!o.recording) return;
    for (int row = std::max(0, y); row < std::min(o.height, y + h); ++row)
        for (int col = std::max(0, x); col < std::min(o.width, x + w); ++col)
            o.pixels[static_cast<size_t>(row) * o.width + col] = 0;
}

void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb)
{
    Platform_call& c = offscreen_record(CALL_TEXT);
    c.a = x, c.b = y, c.c = align, c.d = rgb;
    Offscreen& o = offscreen();
    if (!o.recording) return;
    c.text = text;
    int left = align == TEXT_CENTRE ? x - offscreen_text_width(text) / 2 : x;
    for (const char* p = text; *p; ++p, left += OFFSCREEN_FONT_ADVANCE) {
        const uint8_t* glyph = offscreen_glyph(*p);
        for (int r = 0; r < OFFSCREEN_FONT_ROWS; ++r) {
            int py = y - OFFSCREEN_FONT_ASCENT + r;
            if (py < 0 || py >= o.height) continue;
            for (int b = 0; b < OFFSCREEN_FONT_COLUMNS; ++b) {
                int px = left + b;
                if (px < 0 || px >= o.width || !(glyph[r] & (0x10 >> b))) continue;
                o.pixels[static_cast<size_t>(py) * o.width + px] = rgb & 0xFFFFFF;
            }
        }
    }
}

void platform_create_palette(const uint8_t*, int colour_count)
{
    Platform_call& c = offscreen_record(CALL_PALETTE);
    c.a = colour_count;
}
