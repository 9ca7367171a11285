#include "files/line_io.h"

#include <algorithm>
#include <cstring>

#include "engine/pack_records.h"

namespace
{

constexpr size_t FILE_BUFFER = 1 << 16;

// What the scan formats skip as white space.
constexpr std::string_view BLANKS = " \t\n\v\f\r";

// Makes at least one unread byte available; false at the end of the data.
bool fill(Line_source& s)
{
    if (s.pos < s.size) return true;
    if (!s.file || s.error) return false;
    size_t n = std::fread(s.buffer.data(), 1, s.buffer.size(), s.file);
    if (n == 0) {
        if (std::ferror(s.file)) s.error = true;
        return false;
    }
    s.data = s.buffer.data();
    s.size = n;
    s.pos = 0;
    return true;
}

} // namespace

void open_line_source(Line_source& source, const char* data, size_t size)
{
    source.data = data;
    source.size = size;
}

void open_line_source(Line_source& source, FILE* file)
{
    source.file = file;
    source.buffer.resize(FILE_BUFFER);
}

std::string_view read_line(Line_source& s, size_t limit)
{
    limit = std::min(limit, RECORD_LINE_LIMIT);
    if (s.at_line_start) s.line_number += 1;
    size_t length = 0;
    size_t nul = limit; // the first NUL byte ends the line as a C string would
    bool ended = false;
    // Lines are short: one pass that copies and looks for LF and NUL beats
    // calling out for each.
    while (!ended && length < limit && fill(s)) {
        size_t want = limit - length;
        size_t have = s.size - s.pos;
        if (have < want) want = have;
        const char* from = s.data + s.pos;
        char* to = s.line + length;
        size_t i = 0;
        while (i < want) {
            char c = from[i++];
            *to++ = c;
            if (c == '\n') {
                ended = true;
                break;
            }
            if (c == '\0' && nul == limit) nul = length + i - 1;
        }
        length += i;
        s.pos += i;
    }
    // A piece that stops short of its line end is the file's last line when
    // nothing follows it; such a line is never used.
    if (!ended && !fill(s)) {
        s.eof = true;
        if (length == 0 && s.at_line_start) s.line_number -= 1; // no line there: name the last one
    }
    s.at_line_start = ended;
    length = std::min(length, nul);
    s.line[length] = '\0';
    return std::string_view(s.line, length);
}

std::string_view strip_line_end(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

int read_text_block(Text_block& block, Line_source& source)
{
    for (;;) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends inside an About block";
            return 1;
        }
        line = strip_line_end(line);
        if (starts_with("end", line)) return 0;
        block.text.append(line.data(), line.size());
        block.text.push_back('\n');
    }
}

void copy_name(char* field, std::string_view text)
{
    size_t n = std::min<size_t>(text.size(), NAME_CAPACITY - 1);
    if (n) std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

void take_rest_of_line(char* field, std::string_view line)
{
    // The keyword is five characters and one separator follows it.
    copy_name(field, line.substr(std::min<size_t>(line.size(), 6)));
}

void take_second_word(char* field, std::string_view line)
{
    // Past the end each search gives npos, which the next takes as the end.
    size_t start = line.find_first_not_of(BLANKS, line.find_first_of(BLANKS, line.find_first_not_of(BLANKS)));
    if (start == std::string_view::npos) return;
    copy_name(field, line.substr(start, line.find_first_of(BLANKS, start) - start));
}

bool scan_number_after(std::string_view keyword, std::string_view line, int* value)
{
    if (!starts_with(keyword, line)) return false;
    // A line of blanks leaves npos, and then nothing to read.
    std::string_view rest = line.substr(std::min(line.find_first_not_of(BLANKS, keyword.size()), line.size()));
    bool negative = starts_with("-", rest);
    if (negative || starts_with("+", rest)) rest.remove_prefix(1);
    size_t digits = std::min(rest.find_first_not_of("0123456789"), rest.size());
    if (digits == 0) return false;
    long long v = 0;
    for (char c : rest.substr(0, digits))
        v = std::min(v * 10 + (c - '0'), 0x80000001LL); // past 32 bits only the sign matters
    *value = static_cast<int>(std::clamp(negative ? -v : v, -0x80000000LL, 0x7FFFFFFFLL));
    return true;
}
