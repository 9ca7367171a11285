// What the parts of the off-screen platform share among themselves.
#pragma once

#include "shell/platform_offscreen.h"

// Appends one call to the record (or, with recording off, fills a scratch
// call that is thrown away) and returns it for its details.
Platform_call& offscreen_record(Call_kind kind);

// Marks the playing buffer done once the virtual clock has passed its end.
void offscreen_finish_playing();
