#include "tools/authoring/authored_records.h"

#include "engine/pack_records.h"

namespace
{

std::vector<std::string> block_texts(const Text_block* block)
{
    std::vector<std::string> out;
    for (; block; block = block->next.get())
        out.push_back(block->text);
    return out;
}

} // namespace

Authored_level authored_level(const Level_info& level)
{
    Authored_level out;
    out.name = level.name;
    for (int r = 0; r < LEVEL_ROWS; ++r)
        out.rows.emplace_back(level.layout[r], LEVEL_COLS);
    out.solution = level.solution;
    out.empty_solution = level.has_solution && level.solution.empty();
    out.about = block_texts(level.about.get());
    const char* const names[REF_COUNT] = {
        level.treasure_tile.name, level.bank_treasure_tile.name, level.wall_tile.name,    level.floor_tile.name,
        level.bank_tile.name,     level.start_sound.name,        level.banked_sound.name, level.solved_sound.name};
    for (int r = 0; r < REF_COUNT; ++r)
        out.references[r] = names[r];
    return out;
}

Authored_pack authored_pack(const Pack_info& pack)
{
    Authored_pack out;
    out.name = pack.name;
    out.about = block_texts(pack.about.get());
    for (const Pack_tile* t = pack.tiles.get(); t; t = t->next.get())
        out.tiles.push_back(Authored_tile{t->name, t->width, t->height, t->pixels});
    for (const Pack_sound* s = pack.sounds.get(); s; s = s->next.get())
        out.sounds.push_back(Authored_sound{s->name, s->speed, s->sample_size, s->num_samples, s->samples});
    for (const Level_info* l = pack.levels.get(); l; l = l->next.get())
        out.levels.push_back(authored_level(*l));
    return out;
}
