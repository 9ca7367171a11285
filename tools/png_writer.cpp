#include "tools/png_writer.h"

#include <cstdio>
#include <vector>

#ifdef ZANDREK_HAVE_PNG
#include <png.h>

namespace
{

// libpng reports errors by longjmp; these keep the message for the caller.
void on_png_error(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message;
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// The part libpng may longjmp out of: nothing here has a destructor to skip.
bool write_image(png_structp png, png_infop info, FILE* file, int width, int height, const uint32_t* pixels,
                 png_byte* row)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const uint32_t* src = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<png_byte>(src[x] >> 16);
            row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * x + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

int write_png_rgb(const char* path, int width, int height, const uint32_t* pixels, std::string& error)
{
    if (width <= 0 || height <= 0 || !pixels) {
        error = "nothing to write";
        return -1;
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        error = std::string("cannot create ") + path;
        return -1;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, on_png_error, on_png_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        error = "libpng could not start";
        return -1;
    }
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    const bool written = write_image(png, info, file, width, height, pixels, row.data());
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0 && written) {
        error = std::string("cannot finish writing ") + path;
        return -1;
    }
    return written ? 0 : -1;
}

#else

int write_png_rgb(const char*, int, int, const uint32_t*, std::string& error)
{
    error = "this zandrek-tool was built without libpng";
    return -1;
}

#endif
