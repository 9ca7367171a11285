// The directory search on Windows. The system matches looser than the game
// promises: a pattern also matches a file's generated short name ("*.zrp"
// finds "a.zrpx" through one like "A~1.ZRP"), and folders match too. So each
// entry is held to the pattern's name part by its long name, and folders are
// passed over.
// clang-format off
#include <windows.h>
#include <shlwapi.h>
// clang-format on

#include <cstring>
#include <string>

#include "shell/platform.h"

namespace
{

// The one search of the process: its handle, its name part and the entry found last.
HANDLE search_handle = INVALID_HANDLE_VALUE;
std::string name_pattern;
WIN32_FIND_DATAA found;

bool wanted(const WIN32_FIND_DATAA& entry)
{
    return !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           PathMatchSpecA(entry.cFileName, name_pattern.c_str());
}

// Moves on to the next wanted entry, closing the search when there is none.
void find_wanted(bool found_one)
{
    while (found_one && !wanted(found))
        found_one = FindNextFileA(search_handle, &found);
    if (found_one) return;
    FindClose(search_handle);
    search_handle = INVALID_HANDLE_VALUE;
}

} // namespace

void platform_find_first(const char* pattern)
{
    if (search_handle != INVALID_HANDLE_VALUE) FindClose(search_handle);
    name_pattern = pattern;
    name_pattern.erase(0, name_pattern.find_last_of("/\\") + 1); // npos + 1: nothing erased
    search_handle = FindFirstFileA(pattern, &found);
    if (search_handle != INVALID_HANDLE_VALUE) find_wanted(true);
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
    find_wanted(FindNextFileA(search_handle, &found));
    return 0;
}
