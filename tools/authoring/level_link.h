// A level shared as a link to the editor page: editor.html#level=ROWS, ROWS
// the layout rows joined by | and percent-encoded as the browser's
// encodeURIComponent does.
#pragma once

#include <string>
#include <vector>

constexpr const char* LEVEL_LINK_PAGE = "editor.html";
constexpr const char* LEVEL_LINK_KEY = "level=";

// The rows part alone; each row without its trailing spaces, the empty rows
// below the room left out.
std::string encode_level_rows(const std::vector<std::string>& rows);
std::string level_link(const std::vector<std::string>& rows); // editor.html#level=...

// Takes a whole link, a fragment ("#level=..." or "level=...") or the rows
// part alone. Rows come back 16 of 20 characters, short rows filled with
// spaces. 0, or -1 with why in `problem`: a bad % escape, more than 16 rows,
// a row longer than 20 cells, a character that is no piece, or no rows.
int decode_level_link(const std::string& link, std::vector<std::string>& rows, std::string& problem);
