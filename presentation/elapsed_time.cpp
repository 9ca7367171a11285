#include "presentation/elapsed_time.h"

#include <algorithm>
#include <cstdio>

const char* format_elapsed(int64_t seconds)
{
    static char text[32];
    seconds = std::max<int64_t>(seconds, 0);
    long long hours = seconds / 3600, minutes = (seconds / 60) % 60, rest = seconds % 60;
    if (hours != 0)
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", hours, minutes, rest);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", minutes, rest);
    return text;
}
