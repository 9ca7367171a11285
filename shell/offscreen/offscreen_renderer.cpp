// The off-screen drawing: the real renderer of the tool's pictures as well
// as what tests read back. Stretch-blits through the colour table, fills
// and text land in the framebuffer.
#include "shell/offscreen/offscreen_internal.h"

#include "shell/framebuffer/framebuffer_draw.h"

namespace
{

Framebuffer canvas()
{
    Offscreen& o = offscreen();
    return Framebuffer{o.pixels.data(), o.width, o.height};
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
    if (!offscreen().recording) return; // the no-op sink draws nothing either
    Framebuffer picture = canvas();
    framebuffer_stretch(picture, dib, bits, src_w, src_h, dst_x, dst_y, dst_w, dst_h);
}

void platform_fill_black(int x, int y, int w, int h)
{
    offscreen_record(CALL_FILL);
    if (!offscreen().recording) return;
    Framebuffer picture = canvas();
    framebuffer_fill_black(picture, x, y, w, h);
}

void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb)
{
    Platform_call& c = offscreen_record(CALL_TEXT);
    c.a = x, c.b = y, c.c = align, c.d = rgb;
    if (!offscreen().recording) return;
    c.text = text;
    Framebuffer picture = canvas();
    framebuffer_text(picture, x, y, text, align, rgb);
}

void platform_create_palette(const uint8_t*, int colour_count)
{
    Platform_call& c = offscreen_record(CALL_PALETTE);
    c.a = colour_count;
}
