// What must hold of every pack the reader accepts, however strange its file;
// the pack fuzz target aborts on anything else.
#pragma once

#include <cstring>
#include <string>

#include "engine/pack_records.h"

// An empty string when the pack is sound, else what is wrong with it.
inline std::string pack_invariant_failure(const Pack_info& pack)
{
    auto terminated = [](const char* name) { return std::memchr(name, '\0', NAME_CAPACITY) != nullptr; };
    if (!terminated(pack.name)) return "pack name not terminated";
    if (pack.num_levels < 1) return "pack without levels accepted";
    int n = 0;
    for (const Level_info* l = pack.levels.get(); l; l = l->next.get()) {
        if (l->number != ++n) return "level numbers out of order";
        if (!terminated(l->name) || !terminated(l->wall_tile.name) || !terminated(l->start_sound.name))
            return "level name not terminated";
        if (l->num_treasures != l->loose_treasures + l->banked_treasures) return "treasure counts disagree";
        if (l->start_x < 0 || l->start_x >= LEVEL_COLS || l->start_y < 0 || l->start_y >= LEVEL_ROWS)
            return "start outside the layout";
        if (std::string(&l->layout[0][0], sizeof l->layout).find_first_not_of("#-.$*@+ ") != std::string::npos)
            return "layout character outside the legend";
    }
    if (n != pack.num_levels) return "num_levels disagrees with the list";
    for (const Pack_tile* t = pack.tiles.get(); t; t = t->next.get())
        if (!t->pixels.empty() && static_cast<long long>(t->pixels.size()) != 1LL * t->width * t->height)
            return "tile pixels do not match its size";
    for (const Pack_sound* s = pack.sounds.get(); s; s = s->next.get()) {
        if (!s->samples.empty() && static_cast<long long>(s->samples.size()) != s->num_samples)
            return "sound samples do not match its count";
        if (s->sample_size != 0 && s->sample_size != 8 && s->sample_size != 16) return "sample size not 8 or 16";
    }
    return std::string();
}
