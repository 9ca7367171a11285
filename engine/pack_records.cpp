#include "engine/pack_records.h"

#include <cstring>

namespace
{

// Long lists (a pack of many thousands of levels) are unlinked one node at a
// time so that dropping them never recurses through the whole list.
template <typename Node> void drop_list(std::unique_ptr<Node>& next)
{
    std::unique_ptr<Node> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

} // namespace

Text_block::~Text_block()
{
    drop_list(next);
}
Pack_tile::~Pack_tile()
{
    drop_list(next);
}
Pack_sound::~Pack_sound()
{
    drop_list(next);
}

Level_info::Level_info()
{
    std::memset(layout, ' ', sizeof layout);
}
Level_info::~Level_info()
{
    drop_list(next);
}

Pack_info::~Pack_info()
{
    drop_list(next);
}

Pack_tile* find_pack_tile(const Pack_info& pack, const char* name)
{
    for (Pack_tile* t = pack.tiles.get(); t; t = t->next.get())
        if (std::strcmp(t->name, name) == 0) return t;
    return nullptr;
}

Pack_sound* find_pack_sound(const Pack_info& pack, const char* name)
{
    for (Pack_sound* s = pack.sounds.get(); s; s = s->next.get())
        if (std::strcmp(s->name, name) == 0) return s;
    return nullptr;
}

Pack_tile* resolve_tile(const Pack_info& pack, Tile_ref& ref)
{
    if (!ref.tile) ref.tile = find_pack_tile(pack, ref.name);
    return ref.tile;
}

Pack_sound* resolve_sound(const Pack_info& pack, Sound_ref& ref)
{
    if (!ref.sound) ref.sound = find_pack_sound(pack, ref.name);
    return ref.sound;
}

Level_info* pack_level(const Pack_info& pack, int number)
{
    Level_info* level = pack.levels.get();
    for (int i = 1; level && i < number && level->next; ++i)
        level = level->next.get();
    return level;
}

Pack_info* nth_pack(Pack_info* head, int k)
{
    if (k < 1) return nullptr;
    for (int i = 1; head && i < k; ++i)
        head = head->next.get();
    return head;
}
