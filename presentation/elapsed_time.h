// The elapsed-time format the status title and the solved text share.
#pragma once

#include <cstdint>

// "MM:SS" below an hour, "HH:MM:SS" from then on. One static buffer,
// overwritten by each call.
const char* format_elapsed(int64_t seconds);
