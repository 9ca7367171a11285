#include "files/file_diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace
{

// A box's text has always been cut at this many bytes.
constexpr size_t TEXT_CAPACITY = 1024;

void note(File_diagnostics& out, Diagnostic_box box, const char* format, va_list args)
{
    char text[TEXT_CAPACITY];
    std::vsnprintf(text, sizeof text, format, args);
    out.push_back(File_diagnostic{box, text});
}

} // namespace

void note_error(File_diagnostics& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    note(out, DIAGNOSTIC_ERROR, format, args);
    va_end(args);
}

void note_warning(File_diagnostics& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    note(out, DIAGNOSTIC_WARNING, format, args);
    va_end(args);
}
