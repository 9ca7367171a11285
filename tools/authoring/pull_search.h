// The generator's backward search: treasures pulled away from their banks
// breadth-first, each pull the reverse of a push, so a position first
// reached after n pulls is n pushes from solved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/authoring/level_text.h"
#include "tools/authoring/room_carving.h"

// Treasure cells (row * columns + column) ascending, then the lowest cell of
// the area the player can walk in, which stands for any cell of it.
using Pull_position = std::vector<uint16_t>;

// A room with treasures set on it, and the cells a player reaches.
struct Pull_search {
    const std::vector<std::string>& g;
    int R, C, k;
    std::vector<uint8_t> box;
    std::vector<int> mark;
    int stamp = 0;

    Pull_search(const std::vector<std::string>& rows, int treasures);
    bool floor(int c) const { return is_play_cell(g[c / C][c % C]); }
    bool free(int c) const { return floor(c) && !box[c]; }
    // Marks the cells the player reaches from `from` with a new `stamp`;
    // returns the lowest.
    int reach(int from);
    void place(const Pull_position& p, bool on);
};

// Pulls treasures away from `banks`, as many as there are banks, in a walled
// room. Returns the positions of the last layer reached and, in `depth`, how
// many pulls it lies from the banks. `limit` bounds the positions visited;
// past `beam` positions a layer keeps half its farthest out and half chosen
// by `random`.
std::vector<Pull_position> pull_away(const std::vector<std::string>& room, const std::vector<int>& banks,
                                     uint64_t limit, size_t beam, Generator_random& random, int* depth);
