// Levels as the authoring tools make them, and their text in a pack file.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct Pack_info;

struct Authored_level {
    std::string name;
    std::vector<std::string> rows;    // layout legend, at most 16 rows of 20
    std::string solution;             // <>^v; empty: no Solution block
    std::vector<std::string> about;   // lines of an About block; empty: none
    std::vector<std::string> remarks; // lines after the name that the reader skips
};

// A whole pack: the header line, an optional Name line, the levels. Every
// line ends with LF, the last "end" too, since the reader drops a last line
// without one.
std::string pack_text(const std::string& pack_name, const std::vector<Authored_level>& levels);

// The level read back through the game's own pack reader; nullptr if the
// reader refuses it.
std::unique_ptr<Pack_info> pack_of_level(const Authored_level& level);
