#include "tools/authoring/level_link.h"

#include <cstring>

#include "engine/field.h"

namespace
{

constexpr char ROW_SEPARATOR = '|';
constexpr char LEGEND[] = "#-.$*@+ ";
// What encodeURIComponent leaves as it is of the characters rows hold: the
// legend and the separator have no letter or digit.
constexpr char UNRESERVED_MARKS[] = "-_.!~*'()";

bool unreserved(unsigned char c)
{
    return c != '\0' && std::strchr(UNRESERVED_MARKS, c) != nullptr;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string rows_part(const std::string& link)
{
    std::string key = std::string("#") + LEVEL_LINK_KEY;
    size_t at = link.find(key);
    if (at != std::string::npos) return link.substr(at + key.size());
    if (link.compare(0, std::strlen(LEVEL_LINK_KEY), LEVEL_LINK_KEY) == 0)
        return link.substr(std::strlen(LEVEL_LINK_KEY));
    return link;
}

int percent_decode(const std::string& text, std::string& out, std::string& problem)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        // A string holds a NUL past its end, no hex digit: an escape cut
        // short stops at its first missing digit.
        const int high = hex_value(text[i + 1]);
        if (high < 0 || hex_value(text[i + 2]) < 0) {
            problem = "the link has a bad % escape at character " + std::to_string(i + 1);
            return -1;
        }
        out += static_cast<char>(high * 16 + hex_value(text[i + 2]));
        i += 2;
    }
    return 0;
}

} // namespace

std::string encode_level_rows(const std::vector<std::string>& rows)
{
    size_t used = rows.size();
    while (used > 0 && rows[used - 1].find_first_not_of(' ') == std::string::npos)
        --used;
    std::string joined;
    for (size_t r = 0; r < used; ++r) {
        if (r) joined += ROW_SEPARATOR;
        size_t last = rows[r].find_last_not_of(' ');
        if (last != std::string::npos) joined += rows[r].substr(0, last + 1);
    }
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : joined) {
        if (unreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += HEX[c >> 4];
            out += HEX[c & 15];
        }
    }
    return out;
}

std::string level_link(const std::vector<std::string>& rows)
{
    return std::string(LEVEL_LINK_PAGE) + "#" + LEVEL_LINK_KEY + encode_level_rows(rows);
}

int decode_level_link(const std::string& link, std::vector<std::string>& rows, std::string& problem)
{
    std::string text;
    if (percent_decode(rows_part(link), text, problem) != 0) return -1;
    if (text.find_first_not_of(' ') == std::string::npos) {
        problem = "the link holds no level";
        return -1;
    }
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == ROW_SEPARATOR) {
            out.emplace_back();
            continue;
        }
        int row = static_cast<int>(out.size());
        int col = static_cast<int>(out.back().size()) + 1;
        if (row > LEVEL_ROWS) {
            problem = "the link has more than " + std::to_string(LEVEL_ROWS) + " rows";
            return -1;
        }
        if (c == '\0' || !std::strchr(LEGEND, c)) {
            problem = "row " + std::to_string(row) + ", column " + std::to_string(col) + " of the link holds '" +
                      (static_cast<unsigned char>(c) >= ' ' && static_cast<unsigned char>(c) < 127 ? std::string(1, c)
                                                                                                   : std::string("?")) +
                      "', which is no piece";
            return -1;
        }
        if (col > LEVEL_COLS && c == ' ') continue; // spaces past the grid say nothing
        if (col > LEVEL_COLS) {
            problem =
                "row " + std::to_string(row) + " of the link is longer than " + std::to_string(LEVEL_COLS) + " cells";
            return -1;
        }
        out.back() += c;
    }
    if (out.size() > static_cast<size_t>(LEVEL_ROWS)) {
        problem = "the link has more than " + std::to_string(LEVEL_ROWS) + " rows";
        return -1;
    }
    out.resize(LEVEL_ROWS);
    for (std::string& row : out)
        row.resize(LEVEL_COLS, ' ');
    rows = std::move(out);
    return 0;
}
