#include <windows.h>

#include <cstring>

#include "shell/platform.h"

namespace
{

// The one search of the process: its handle and the entry found last.
HANDLE search_handle = INVALID_HANDLE_VALUE;
WIN32_FIND_DATAA found;

} // namespace

void platform_find_first(const char* pattern)
{
    if (search_handle != INVALID_HANDLE_VALUE) FindClose(search_handle);
    search_handle = FindFirstFileA(pattern, &found);
}

int platform_find_next(char* buffer, size_t size)
{
    if (search_handle == INVALID_HANDLE_VALUE) return -1;
    if (size > 0) {
        size_t n = std::strlen(found.cFileName);
        if (n > size - 1) n = size - 1;
        std::memcpy(buffer, found.cFileName, n);
        buffer[n] = '\0';
    }
    if (!FindNextFileA(search_handle, &found)) {
        FindClose(search_handle);
        search_handle = INVALID_HANDLE_VALUE;
    }
    return 0;
}
