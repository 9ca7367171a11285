// The level generator's rooms: carved at random from a seed, the same on
// every platform, and the clean-ups a carved or walled-up room goes through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// splitmix64: a seed gives the same numbers, so the same levels, everywhere.
struct Generator_random {
    uint64_t s;
    uint64_t next()
    {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

// A room of `rows` x `cols`, its border walled: walls in symmetric shapes are
// set into its floor until a fifth to two fifths of it is walled, no inside
// wall stands alone, and only the largest floor area stays.
std::vector<std::string> carve_room(int rows, int cols, Generator_random& random);

// Inside walls with no wall beside them (diagonals do not count) become floor.
void drop_specks(std::vector<std::string>& rows);

// Keeps the largest floor area, its cells joined side by side (of two as
// large, the first in reading order); the rest becomes wall.
void keep_largest_area(std::vector<std::string>& rows);
// Keeps the floor area holding the cell at `row`, `col`; the rest becomes
// wall.
void keep_area_of(std::vector<std::string>& rows, int row, int col);
