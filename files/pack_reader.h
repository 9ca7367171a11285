// Level pack files: the header line, the records, and the Pack_info list the
// game keeps. A pack that cannot be read is left out without a word; the
// reason reaches those who ask (the tools) through Pack_diagnostic only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct Game_state;
struct Line_source;
struct Pack_info;

struct Pack_diagnostic {
    std::string record;  // "header", "Level 3", "Tile", "Sound", "About", "file"
    int record_line = 0; // line of the record's keyword; 0 when no record was open
    int line = 0;        // line where reading gave up; 0 when none applies
    std::string reason;
};
// One line: "PATH: line L: REASON (RECORD starting at line R)".
std::string describe_pack_failure(const char* path, const Pack_diagnostic& diagnostic);

// Reads the pack file at `path` and appends it to the game's pack list: 0;
// 1 when the pack is unreadable (the list is unchanged).
int read_pack(Game_state& state, const char* path, Pack_diagnostic* diagnostic = nullptr);

// The same reading over bytes already in memory; nullptr when unreadable.
std::unique_ptr<Pack_info> read_pack_bytes(const char* data, size_t size, Pack_diagnostic* diagnostic = nullptr);

// The records after the header: 0, or 1 when the pack is unreadable.
int read_pack_records(Pack_info& pack, Line_source& source, Pack_diagnostic* diagnostic = nullptr);

// Appends a pack at the end of the game's list, numbering it after the last.
Pack_info* append_pack(Game_state& state, std::unique_ptr<Pack_info> pack);
