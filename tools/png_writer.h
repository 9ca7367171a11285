// PNG files of the off-screen framebuffer, through libpng.
#pragma once

#include <cstdint>
#include <string>

// Pixels are 0x00RRGGBB, row by row from the top. 0, or -1 with `error` set.
int write_png_rgb(const char* path, int width, int height, const uint32_t* pixels, std::string& error);
