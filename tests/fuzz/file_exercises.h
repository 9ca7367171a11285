// The fuzz targets read their input from a file, as the game reads its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

inline bool write_input(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
