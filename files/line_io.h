// The line rules every pack record reader shares. A file is read as bytes:
// a line ends at LF, a CR before it stays until strip_line_end removes it,
// and each read takes at most a fixed number of characters, so a longer line
// comes out in pieces that are lines of their own.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

struct Text_block;

// Piece sizes of the readers: the header, the lines between records, and
// everything inside a record.
constexpr size_t HEADER_LINE_LIMIT = 79;
constexpr size_t RECORD_GAP_LINE_LIMIT = 127;
constexpr size_t RECORD_LINE_LIMIT = 255;

// An open pack file, or its bytes already in memory. After every read the
// end-of-file and error states are tested before the line is used: a last
// line without a line end sets `eof` together with its text, so it is never
// used.
struct Line_source {
    FILE* file = nullptr;
    std::vector<char> buffer; // file mode only
    const char* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    bool eof = false;
    bool error = false;

    int line_number = 0; // 1-based line the last piece came from
    bool at_line_start = true;
    const char* failure = nullptr; // why a record reader gave up, for diagnostics

    char line[RECORD_LINE_LIMIT + 1];
};

void open_line_source(Line_source& source, const char* data, size_t size);
void open_line_source(Line_source& source, FILE* file);

// The next piece of at most `limit` characters, line end included. It is cut
// at its first NUL byte, as the game's C strings always were.
std::string_view read_line(Line_source& source, size_t limit);
inline bool line_source_failed(const Line_source& source)
{
    return source.eof || source.error;
}

std::string_view strip_line_end(std::string_view line);
// Inline so that the keyword's length folds away: every line meets a dozen keywords.
inline bool starts_with(std::string_view keyword, std::string_view line)
{
    return line.size() >= keyword.size() && line.compare(0, keyword.size(), keyword) == 0;
}

// Lines up to the first that starts with "end", each stored with one LF.
// 0 when the end line came, 1 when the file ended first.
int read_text_block(Text_block& block, Line_source& source);

// Helpers of the keyword lines, as the game's scan formats read them.
void copy_name(char* field, std::string_view text);         // cut to the field's 79 characters
void take_rest_of_line(char* field, std::string_view line); // from the seventh character on
void take_second_word(char* field, std::string_view line);  // "%*s %s"; unchanged when none
// "Keyword: %d": white space, then an optional sign and digits. false when
// no digit follows; values past 32 bits are clamped.
bool scan_number_after(std::string_view keyword, std::string_view line, int* value);
