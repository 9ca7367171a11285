#include "files/pack_reader.h"

#include <cstdio>
#include <string_view>

#include "engine/game_state.h"
#include "engine/pack_records.h"
#include "files/level_reader.h"
#include "files/line_io.h"
#include "files/tile_sound_reader.h"

namespace
{

void note(Pack_diagnostic* d, std::string record, int record_line, const Line_source& source, const char* reason)
{
    if (!d) return;
    d->record = std::move(record);
    d->record_line = record_line;
    d->line = source.line_number;
    d->reason = source.failure ? source.failure : reason;
}

// Appending keeps a pointer to the last `next` slot so a pack of many
// thousands of levels reads in linear time.
template <typename Node> struct List_tail {
    std::unique_ptr<Node>* slot;
    explicit List_tail(std::unique_ptr<Node>& head) : slot(&head)
    {
        while (*slot)
            slot = &(*slot)->next;
    }
    void append(std::unique_ptr<Node> node)
    {
        *slot = std::move(node);
        slot = &(*slot)->next;
    }
};

bool read_header(Line_source& source, Pack_diagnostic* diagnostic)
{
    std::string_view header = read_line(source, HEADER_LINE_LIMIT);
    if (header == "Zandrek Pack\n" || header == "Zandrek Pack\r\n") return true;
    note(diagnostic, "header", 1, source, "the first line is not \"Zandrek Pack\"");
    if (diagnostic) diagnostic->line = 1;
    return false;
}

std::unique_ptr<Pack_info> read_from(Line_source& source, Pack_diagnostic* diagnostic)
{
    if (!read_header(source, diagnostic)) return nullptr;
    auto pack = std::make_unique<Pack_info>();
    if (read_pack_records(*pack, source, diagnostic) != 0) return nullptr;
    return pack;
}

} // namespace

int read_pack_records(Pack_info& pack, Line_source& source, Pack_diagnostic* diagnostic)
{
    List_tail<Level_info> levels(pack.levels);
    List_tail<Pack_tile> tiles(pack.tiles);
    List_tail<Pack_sound> sounds(pack.sounds);
    List_tail<Text_block> about(pack.about);
    int last_number = 0;
    for (Level_info* l = pack.levels.get(); l; l = l->next.get())
        last_number = l->number;

    for (;;) {
        std::string_view line = read_line(source, RECORD_GAP_LINE_LIMIT);
        if (source.error) {
            note(diagnostic, "file", 0, source, "the file could not be read");
            return 1;
        }
        if (source.eof) {
            if (pack.num_levels >= 1) return 0;
            note(diagnostic, "file", 0, source, "the pack holds no level");
            return 1;
        }
        line = strip_line_end(line);
        int record_line = source.line_number;
        if (starts_with("Name:", line)) {
            take_rest_of_line(pack.name, line);
        } else if (starts_with("Level:", line)) {
            auto level = std::make_unique<Level_info>();
            if (read_level(*level, source) != 0) {
                note(diagnostic, "Level " + std::to_string(last_number + 1), record_line, source, "unfinished level");
                return 1;
            }
            level->number = ++last_number;
            pack.num_levels += 1;
            levels.append(std::move(level));
        } else if (starts_with("Tile:", line) || starts_with("BigTile:", line)) {
            bool big = line[0] == 'B';
            auto tile = std::make_unique<Pack_tile>();
            if (!read_tile(*tile, source)) {
                note(diagnostic, big ? "BigTile" : "Tile", record_line, source, "unfinished tile");
                return 1;
            }
            if (big) {
                // BigTile records go to the front, so a later one wins a name lookup.
                bool was_empty = !pack.tiles;
                tile->next = std::move(pack.tiles);
                pack.tiles = std::move(tile);
                if (was_empty) tiles = List_tail<Pack_tile>(pack.tiles);
            } else {
                tiles.append(std::move(tile));
            }
        } else if (starts_with("Sound:", line)) {
            auto sound = std::make_unique<Pack_sound>();
            if (!read_sound(*sound, source)) {
                note(diagnostic, "Sound", record_line, source, "unfinished sound");
                return 1;
            }
            sounds.append(std::move(sound));
        } else if (starts_with("About:", line)) {
            auto block = std::make_unique<Text_block>();
            if (read_text_block(*block, source) != 0) {
                note(diagnostic, "About", record_line, source, "unfinished About block");
                return 1;
            }
            about.append(std::move(block));
        }
    }
}

std::unique_ptr<Pack_info> read_pack_bytes(const char* data, size_t size, Pack_diagnostic* diagnostic)
{
    Line_source source;
    open_line_source(source, data, size);
    return read_from(source, diagnostic);
}

Pack_info* append_pack(Game_state& state, std::unique_ptr<Pack_info> pack)
{
    std::unique_ptr<Pack_info>* slot = &state.packs;
    int number = 1;
    while (*slot) {
        number = (*slot)->number + 1;
        slot = &(*slot)->next;
    }
    pack->number = number;
    *slot = std::move(pack);
    return slot->get();
}

int read_pack(Game_state& state, const char* path, Pack_diagnostic* diagnostic)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        if (diagnostic) *diagnostic = Pack_diagnostic{"file", 0, 0, "the file cannot be opened"};
        return 1;
    }
    Line_source source;
    open_line_source(source, file);
    std::unique_ptr<Pack_info> pack = read_from(source, diagnostic);
    std::fclose(file);
    if (!pack) return 1;
    append_pack(state, std::move(pack));
    return 0;
}

std::string describe_pack_failure(const char* path, const Pack_diagnostic& d)
{
    std::string text = path;
    if (d.line > 0) text += ": line " + std::to_string(d.line);
    text += ": " + d.reason;
    if (d.record_line > 0) text += " (" + d.record + " starting at line " + std::to_string(d.record_line) + ")";
    return text;
}
