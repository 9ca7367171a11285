// One player's record: the same 40 bytes in memory and in "Zandrek.score".
#pragma once

#include <cstddef>
#include <cstdint>

struct Score_entry {
    uint32_t next_slot; // a link in the original; meaningless in the file, ignored on reading
    char name[20];
    int32_t level; // highest built-in level solved
    uint16_t carried[2];
    uint16_t moves;
    uint16_t pushes;
    int32_t seconds; // 0: no time stored
};
static_assert(offsetof(Score_entry, name) == 4, "Score_entry layout");
static_assert(offsetof(Score_entry, level) == 24, "Score_entry layout");
static_assert(offsetof(Score_entry, carried) == 28, "Score_entry layout");
static_assert(offsetof(Score_entry, moves) == 32, "Score_entry layout");
static_assert(offsetof(Score_entry, seconds) == 36, "Score_entry layout");
static_assert(sizeof(Score_entry) == 40, "score records are 40 bytes");
