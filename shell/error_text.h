// Error codes of the platform as English text: the file decompression
// library's codes, the system's and the socket library's.
#pragma once

#include <cstdint>

struct Error_text_entry {
    int32_t code;
    const char* text;
};

// Sorted by code, ascending, no code twice: the search depends on it, and
// the build checks it.
extern const Error_text_entry ERROR_TEXTS[];
extern const int ERROR_TEXT_COUNT;
constexpr const char* UNKNOWN_ERROR_TEXT = "Unknown error.";

// The entry's text, or "Unknown error." for a code the table lacks.
const char* error_text(int32_t code);
// error_text of the platform's last error code.
const char* last_error_text();
