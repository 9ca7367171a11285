// The file version of a program's version resource, as "major.minor.patch".
#include <vector>

#include "tests/driver/driver.h"

int file_version(const char* path, std::string* version)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return -1;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return -1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
        return -1;
    *version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
               "." + std::to_string(HIWORD(fixed->dwFileVersionLS));
    return 0;
}
