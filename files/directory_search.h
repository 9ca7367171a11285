// The directory search behind pack discovery: one search at a time for the
// whole process, as the platform's own search works. Natively a portable
// implementation (files/portable/), in the Windows build the Win32 one.
#pragma once

#include <cstddef>

// Closes any open search and starts one for `pattern` (a file name pattern
// with * and ?, relative to the working directory). When nothing matches,
// no search is open.
void find_first(const char* pattern);

// Copies the name of the entry found last into `buffer` (at most size - 1
// characters, always terminated), then looks for the next one, closing the
// search after the last. 0 when a name was delivered, -1 when no search is
// open: the last entry is delivered too, and the call after it returns -1.
int find_next(char* buffer, size_t size);
