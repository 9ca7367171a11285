// The error box of the shell; info_box, warn_box and error_box are the
// engine's and are declared in engine/game_state.h.
#pragma once

// "message: detail" in a box with the stop icon; either part may be null.
void report_error(const char* message, const char* detail);
