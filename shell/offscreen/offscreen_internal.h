// What the parts of the off-screen platform share among themselves.
#pragma once

#include "shell/platform_offscreen.h"

// Appends one call to the record (or, with recording off, fills a scratch
// call that is thrown away) and returns it for its details.
Platform_call& offscreen_record(Call_kind kind);

// The glyph rows of a printable character, FONT_ROWS of them, bit 4 the
// leftmost column; null outside the printable range.
constexpr int OFFSCREEN_FONT_ROWS = 9;
constexpr int OFFSCREEN_FONT_COLUMNS = 5;
const uint8_t* offscreen_glyph(char c);

// Marks the playing buffer done once the virtual clock has passed its end.
void offscreen_finish_playing();
