// The levels of a pack file as the solver's puzzles, for the benchmarks.
#pragma once

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tools/authoring/solver.h"

// A pack that cannot be read gives no puzzles; the benchmarks say so.
inline std::vector<Puzzle> pack_puzzles(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string bytes = text.str();
    std::vector<Puzzle> out;
    std::unique_ptr<Pack_info> pack = read_pack_bytes(bytes.data(), bytes.size());
    for (const Level_info* l = pack ? pack->levels.get() : nullptr; l; l = l->next.get()) {
        Puzzle p;
        if (puzzle_from_level(*l, p) == 0) out.push_back(p);
    }
    return out;
}
