// The game window's client area as a 24-bit BMP file.
#include <cstdio>
#include <vector>

#include "tests/driver/driver.h"

namespace
{

// The client area as the screen shows it, or as the window paints it when
// the screen copy is not to be had.
bool copy_client(HWND window, HDC memory, int width, int height)
{
    HDC source = GetDC(window);
    if (!source) return false;
    BOOL copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    return copied != 0;
}

void put16(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(std::vector<unsigned char>& out, unsigned value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

int save_client_bmp(HWND window, const char* path)
{
    int width = 0, height = 0;
    if (!client_size(window, &width, &height) || width <= 0 || height <= 0) return -1;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!memory || !bitmap) {
        if (memory) DeleteDC(memory);
        return -1;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool copied = copy_client(window, memory, width, height);
    GdiFlush();

    const unsigned row = (static_cast<unsigned>(width) * 3 + 3) & ~3u;
    const unsigned image = row * static_cast<unsigned>(height);
    std::vector<unsigned char> file;
    file.push_back('B');
    file.push_back('M');
    put32(file, 14 + 40 + image);
    put32(file, 0);
    put32(file, 14 + 40);
    put32(file, 40);
    put32(file, static_cast<unsigned>(width));
    put32(file, static_cast<unsigned>(height));
    put16(file, 1);
    put16(file, 24);
    put32(file, BI_RGB);
    put32(file, image);
    put32(file, 2835); // 72 dpi
    put32(file, 2835);
    put32(file, 0);
    put32(file, 0);
    const unsigned char* pixels = static_cast<const unsigned char*>(bits);
    file.insert(file.end(), pixels, pixels + image);

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    if (!copied) return -1;

    FILE* out = std::fopen(path, "wb");
    if (!out) return -1;
    bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written ? 0 : -1;
}
