// Drawing into a framebuffer of 0x00RRGGBB pixels: the off-screen layer's
// picture and the browser's canvas come from the same code, so the two
// agree pixel for pixel.
#pragma once

#include <cstdint>

#include "shell/platform.h"

struct Framebuffer {
    uint32_t* pixels;
    int width, height;
};

// Nearest-neighbour: destination step i takes source floor(i * src / dst).
void framebuffer_stretch(Framebuffer& canvas, const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x,
                         int dst_y, int dst_w, int dst_h);
void framebuffer_fill_black(Framebuffer& canvas, int x, int y, int w, int h);
// Our own small face, not scaled by magnification: glyphs 5 pixels wide on a
// 6-pixel advance, 7 rows above the baseline.
constexpr int FRAMEBUFFER_FONT_ADVANCE = 6;
constexpr int FRAMEBUFFER_FONT_ASCENT = 7;
void framebuffer_text(Framebuffer& canvas, int x, int y, const char* text, Text_align align, uint32_t rgb);
int framebuffer_text_width(const char* text);
