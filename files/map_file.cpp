#include "files/map_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "engine/game_state.h"
#include "files/colour_map.h"
#include "files/file_diagnostics.h"

namespace
{

enum Chunk_id {
    CHUNK_CPYR,
    CHUNK_PROG,
    CHUNK_ARTS,
    CHUNK_MAPH,
    CHUNK_CMAP,
    CHUNK_TINF,
    CHUNK_TILE,
    CHUNK_FIDG,
    CHUNK_IMGS,
    CHUNK_FLDS,
    CHUNK_SINF,
    CHUNK_SITM,
    CHUNK_PHON,
    CHUNK_SAMP,
    CHUNK_COUNT
};

const char CHUNK_NAMES[CHUNK_COUNT][5] = {"CPYR", "PROG", "ARTS", "MAPH", "CMAP", "TINF", "TILE",
                                          "FIDG", "IMGS", "FLDS", "SINF", "SITM", "PHON", "SAMP"};

// A chunk or the file ending before the bytes its length promises: the game
// never reads past the data it was given.
const char CUT_SHORT[] = "File %s is cut short, not a whole Zandrek map file";

struct Map_reader {
    Game_state& state;
    FILE* file;
    const char* name;
    uint64_t file_size;
    File_diagnostics& out;
    uint32_t flds_pos = 0, imgs_pos = 0;
    uint32_t flds_length = 0, imgs_length = 0;
};

uint32_t get_u32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool read_exact(FILE* f, void* buffer, size_t n)
{
    return std::fread(buffer, 1, n, f) == n;
}

int find_chunk(const uint8_t id[4])
{
    for (int i = 0; i < CHUNK_COUNT; ++i)
        if (std::memcmp(id, CHUNK_NAMES[i], 4) == 0) return i;
    return CHUNK_COUNT; // an id the game does not know
}

bool read_text(Map_reader& r, std::string& text, uint32_t length)
{
    text.assign(length, '\0');
    if (length && !read_exact(r.file, &text[0], length)) return note_error(r.out, CUT_SHORT, r.name), false;
    return true;
}

// MAPH, TINF, FIDG and SINF are copied byte for byte over their regions.
bool read_fixed(Map_reader& r, void* region, size_t size, uint32_t length, const char* message)
{
    if (length != size) return note_error(r.out, "%s", message), false;
    if (!read_exact(r.file, region, size)) return note_error(r.out, CUT_SHORT, r.name), false;
    return true;
}

bool read_tile_table(Map_reader& r, uint32_t length)
{
    std::vector<uint16_t> table;
    try {
        table.assign((length + 1) / 2, 0);
    } catch (const std::bad_alloc&) {
        return note_error(r.out, "Can't allocate space for tiles"), false;
    }
    if (length && !read_exact(r.file, table.data(), length)) return note_error(r.out, CUT_SHORT, r.name), false;
    r.state.tile_table.swap(table);
    return true;
}

bool read_speech_items(Map_reader& r, uint32_t length)
{
    std::vector<Speech_item> items;
    try {
        items.assign(length / 2, Speech_item{});
    } catch (const std::bad_alloc&) {
        return note_error(r.out, "Can't allocate Speech_item array"), false;
    }
    if (!items.empty() && !read_exact(r.file, items.data(), items.size() * sizeof(Speech_item)))
        return note_error(r.out, CUT_SHORT, r.name), false;
    r.state.speech_items.swap(items);
    return true;
}

bool handle_chunk(Map_reader& r, int id, uint32_t length, uint32_t data_pos)
{
    Game_state& state = r.state;
    switch (id) {
    case CHUNK_CPYR: return read_text(r, state.cpyr_text, length);
    case CHUNK_PROG: return read_text(r, state.prog_text, length);
    case CHUNK_ARTS: return read_text(r, state.arts_text, length);
    case CHUNK_MAPH: return read_fixed(r, &state.map, sizeof state.map, length, "Bogus Map Header size in map file");
    case CHUNK_CMAP:
        state.colour_map = GAME_COLOUR_MAP;
        state.colour_count = GAME_COLOUR_COUNT;
        return true;
    case CHUNK_TINF:
        // The tile table is kept apart from the record, so TINF and TILE may
        // come in either order.
        return read_fixed(r, &state.tile_info, sizeof state.tile_info, length, "Bogus Tile_info size in map file");
    case CHUNK_TILE: return read_tile_table(r, length);
    case CHUNK_FIDG:
        return read_fixed(r, &state.fidget, sizeof state.fidget, length, "Bogus Fidget_info length in map file");
    case CHUNK_IMGS:
        r.imgs_pos = data_pos;
        r.imgs_length = length;
        return true;
    case CHUNK_FLDS:
        r.flds_pos = data_pos;
        r.flds_length = length;
        return true;
    case CHUNK_SINF: {
        uint32_t slot = state.speech_info.items_slot;
        if (!read_fixed(r, &state.speech_info, sizeof state.speech_info, length, "Bogus Speech_info size in map file"))
            return false;
        state.speech_info.items_slot = slot;
        return true;
    }
    case CHUNK_SITM: return read_speech_items(r, length);
    case CHUNK_SAMP: return MD_load_samples(state, length, r.out) == 0;
    default: return true; // PHON: nothing in it is used
    }
}

bool walk_chunks(Map_reader& r, uint32_t form_length)
{
    bool seen[CHUNK_COUNT] = {};
    // The form length is compared with the absolute file position, not with
    // the position after the form type: a quirk of the format kept on purpose.
    uint64_t pos = 12;
    while (pos < form_length) {
        uint8_t head[8];
        if (!read_exact(r.file, head, 8)) return note_error(r.out, CUT_SHORT, r.name), false;
        uint32_t length = get_u32(head + 4);
        uint64_t data_pos = pos + 8;
        if (data_pos + length > r.file_size) return note_error(r.out, CUT_SHORT, r.name), false;
        int id = find_chunk(head);
        if (id == CHUNK_COUNT) {
            note_error(r.out, "Bogus chunk type seen in Zandrek map file");
        } else {
            seen[id] = true;
            if (!handle_chunk(r, id, length, static_cast<uint32_t>(data_pos))) return false;
        }
        // No pad byte after odd lengths.
        pos = data_pos + length;
        if (std::fseek(r.file, static_cast<long>(pos), SEEK_SET) != 0)
            return note_error(r.out, CUT_SHORT, r.name), false;
    }
    for (bool s : seen)
        if (!s) return note_error(r.out, "Oh dear, missing some goodies from the map file, I quit"), false;
    return true;
}

uint64_t size_of(FILE* f)
{
    if (std::fseek(f, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    return static_cast<uint64_t>(std::max(size, 0L));
}

// Whether record k of `size` bytes lies whole inside a chunk; division
// keeps hostile record numbers and sizes from overflowing.
bool record_inside(int64_t k, int64_t size, uint32_t chunk_length)
{
    return size > 0 && k >= 0 && k < static_cast<int64_t>(chunk_length) / size;
}

bool seek_to(FILE* f, uint64_t pos)
{
    long now = std::ftell(f);
    if (now >= 0 && static_cast<uint64_t>(now) == pos) return true; // successive records need no seek
    return std::fseek(f, static_cast<long>(pos), SEEK_SET) == 0;
}

void close_map(Game_state& state)
{
    if (state.map_file) std::fclose(state.map_file);
    state.map_file = nullptr;
}

} // namespace

int read_map_file(Game_state& state, File_diagnostics& diagnostics)
{
    close_map(state);
    const char* name = state.map_file_name.c_str();
    FILE* f = std::fopen(name, "rb");
    if (!f) {
        note_error(diagnostics, "Can't open %s for reading", name);
        return -1;
    }
    state.map_file = f; // the sample index reads through it while the walk goes on
    Map_reader r{state, f, name, size_of(f), diagnostics};

    uint8_t head[12];
    if (!read_exact(f, head, 4) || std::memcmp(head, "FORM", 4) != 0) {
        close_map(state);
        note_error(diagnostics, "File %s smells bad, not an IFF FORM file", name);
        return -1;
    }
    if (!read_exact(f, head + 4, 8) || std::memcmp(head + 8, "SOKO", 4) != 0) {
        close_map(state);
        note_error(diagnostics, "File %s smells bad, not a Zandrek map file", name);
        return -1;
    }
    if (!walk_chunks(r, get_u32(head + 4))) {
        close_map(state);
        return -1;
    }

    state.map.flds_pos = r.flds_pos;
    state.map.imgs_pos = r.imgs_pos;
    state.flds_length = r.flds_length;
    state.imgs_length = r.imgs_length;
    std::memset(&state.play_board, 0, sizeof state.play_board);
    std::memset(&state.pristine_board, 0, sizeof state.pristine_board);
    std::memset(&state.screen_board, 0, sizeof state.screen_board);
    return 0;
}

int MD_load_samples(Game_state& state, uint32_t length, File_diagnostics& diagnostics)
{
    FILE* f = state.map_file;
    long here = std::ftell(f);
    uint8_t count_bytes[2];
    // A chunk too short for the count fails the index test below.
    if (here < 0 || !read_exact(f, count_bytes, 2))
        return note_error(diagnostics, "Bogus sample count in map file"), -1;
    uint32_t count = static_cast<uint32_t>(count_bytes[0]) << 8 | count_bytes[1]; // big-endian, alone in the file
    // An index longer than its chunk would be read from the chunk after it.
    if (2 + 4ull * count > length) return note_error(diagnostics, "Bogus sample count in map file"), -1;
    std::vector<uint8_t> raw(4ull * count);
    if (count && !read_exact(f, raw.data(), raw.size()))
        return note_error(diagnostics, "Bogus sample count in map file"), -1;
    // Offsets are taken as they stand, however wild: the reads of the sample
    // bytes check that a sample lies inside the chunk. The last sample ends
    // where the chunk does.
    std::vector<Sample_info> samples(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t end = i + 1 < count ? get_u32(&raw[4ull * (i + 1)]) : length;
        samples[i].offset = get_u32(&raw[4ull * i]);
        samples[i].length = static_cast<int32_t>(end - samples[i].offset - 6);
    }
    state.samples.swap(samples);
    state.samp_pos = static_cast<uint32_t>(here);
    state.samp_length = length;
    return 0;
}

int read_map_board(Game_state& state, Field_info& destination, int number)
{
    size_t bytes = board_record_bytes(state);
    std::memset(&destination, 0, bytes);
    int64_t size = state.map.record_size;
    int64_t k = number >= 1 ? number - 1LL : static_cast<int64_t>(state.map.num_levels) - number - 1LL;
    if (!state.map_file || !record_inside(k, size, state.flds_length)) return -1;
    if (!seek_to(state.map_file, state.map.flds_pos + static_cast<uint64_t>(k * size))) return -1;
    return read_exact(state.map_file, &destination, bytes) ? 0 : -1;
}

int read_map_image(Game_state& state, uint8_t* buffer, size_t capacity, uint32_t index)
{
    std::memset(buffer, 0, capacity);
    int64_t size = state.map.image_size;
    if (!state.map_file || !record_inside(index, size, state.imgs_length)) return -1;
    if (!seek_to(state.map_file, state.map.imgs_pos + static_cast<uint64_t>(index * size))) return -1;
    const size_t n = std::min(static_cast<size_t>(size), capacity);
    return read_exact(state.map_file, buffer, n) ? 0 : -1;
}

bool map_sample_fits(const Game_state& state, const Sample_info& sample)
{
    return state.map_file && sample.length >= 0 &&
           int64_t{sample.offset} + 6 + sample.length <= static_cast<int64_t>(state.samp_length);
}

int read_map_sample(Game_state& state, Sample_info& sample, uint8_t* data)
{
    if (!map_sample_fits(state, sample)) return -1;
    if (!seek_to(state.map_file, static_cast<uint64_t>(state.samp_pos) + sample.offset)) return -1;
    uint8_t head[6];
    if (!read_exact(state.map_file, head, 6)) return -1;
    sample.rate_word = static_cast<uint16_t>(head[0] | head[1] << 8);
    sample.second_word = static_cast<uint16_t>(head[2] | head[3] << 8);
    sample.bits = static_cast<uint32_t>(head[4] | head[5] << 8);
    return sample.length == 0 || read_exact(state.map_file, data, static_cast<size_t>(sample.length)) ? 0 : -1;
}
