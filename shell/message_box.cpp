#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/game_state.h"
#include "files/file_diagnostics.h"
#include "shell/message_box.h"
#include "shell/platform.h"

namespace
{

int show_box(Box_style style, const char* format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    return platform_message_box(text, "Zandrek", style);
}

} // namespace

#define ZANDREK_BOX(name, style)                                                                                       \
    int name(const char* format, ...)                                                                                  \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, format);                                                                                        \
        int answer = show_box(style, format, args);                                                                    \
        va_end(args);                                                                                                  \
        return answer;                                                                                                 \
    }

ZANDREK_BOX(info_box, BOX_INFO)
ZANDREK_BOX(warn_box, BOX_WARN)
ZANDREK_BOX(error_box, BOX_ERROR)

void report_error(const char* message, const char* detail)
{
    if (!message && !detail) return;
    std::string text = message ? message : "";
    if (message && detail) text += ": ";
    if (detail) text += detail;
    platform_message_box(text.c_str(), "Zandrek", BOX_STOP);
}

void show_file_diagnostics(const File_diagnostics& diagnostics)
{
    for (const File_diagnostic& d : diagnostics)
        platform_message_box(d.text.c_str(), "Zandrek", d.box == DIAGNOSTIC_WARNING ? BOX_WARN : BOX_ERROR);
}

void set_walk_cursor(bool walking)
{
    platform_set_cursor(walking ? CURSOR_CROSS : CURSOR_ARROW);
}
