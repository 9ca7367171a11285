#include "tools/progress_line.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define ZANDREK_ISATTY(fd) _isatty(fd)
#define ZANDREK_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define ZANDREK_ISATTY(fd) isatty(fd)
#define ZANDREK_FILENO(f) fileno(f)
#endif

namespace
{
constexpr double TERMINAL_INTERVAL = 0.25;
constexpr double LOG_INTERVAL = 10.0;
} // namespace

Progress_line progress_line_for_stderr(bool quiet)
{
    Progress_line line;
    line.quiet = quiet;
    line.terminal = ZANDREK_ISATTY(ZANDREK_FILENO(stderr)) != 0;
    line.next_at = line.terminal ? 1.0 : LOG_INTERVAL;
    return line;
}

void progress_update(Progress_line& line, double seconds, const char* text)
{
    if (line.quiet || seconds < line.next_at) return;
    if (line.terminal) {
        // Padding wipes the tail of a longer line before it.
        std::fprintf(stderr, "\r%-78s", text);
        line.shown = true;
        line.next_at = seconds + TERMINAL_INTERVAL;
    } else {
        std::fprintf(stderr, "%s\n", text);
        line.next_at = seconds + LOG_INTERVAL;
    }
    std::fflush(stderr);
}

void progress_done(Progress_line& line)
{
    if (!line.shown) return;
    std::fprintf(stderr, "\r%78s\r", "");
    std::fflush(stderr);
    line.shown = false;
}
