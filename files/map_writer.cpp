#include "files/map_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

void put_u32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_u16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_bytes(std::vector<uint8_t>& out, const void* data, size_t n)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + n);
}

// Starts a chunk and returns where its length goes; end_chunk fills it in.
size_t begin_chunk(std::vector<uint8_t>& out, const char id[5])
{
    put_bytes(out, id, 4);
    size_t at = out.size();
    out.resize(at + sizeof(uint32_t));
    return at;
}

void end_chunk(std::vector<uint8_t>& out, size_t length_at)
{
    uint32_t length = static_cast<uint32_t>(out.size() - length_at - 4);
    for (int i = 0; i < 4; ++i)
        out[length_at + i] = static_cast<uint8_t>(length >> (8 * i));
}

void chunk(std::vector<uint8_t>& out, const char id[5], const void* data, size_t n)
{
    size_t at = begin_chunk(out, id);
    put_bytes(out, data, n);
    end_chunk(out, at);
}

// Every record takes exactly `size` bytes: shorter data is padded with
// zeros, longer data is cut.
void put_sized(std::vector<uint8_t>& out, const void* data, size_t n, size_t size)
{
    size_t kept = std::min(n, size);
    put_bytes(out, data, kept);
    out.insert(out.end(), size - kept, 0);
}

} // namespace

std::vector<uint8_t> write_map_bytes(const Map_contents& contents)
{
    std::vector<uint8_t> out;
    put_bytes(out, "FORM", 4);
    put_u32(out, 0);
    put_bytes(out, "SOKO", 4);

    chunk(out, "CPYR", contents.cpyr.data(), contents.cpyr.size());
    chunk(out, "PROG", contents.prog.data(), contents.prog.size());
    chunk(out, "ARTS", contents.arts.data(), contents.arts.size());

    // The positions and pointer slots are the reader's to fill; zeros keep
    // the output the same from run to run.
    Map_header header = contents.map;
    header.flds_pos = header.imgs_pos = 0;
    header.cpyr_slot = header.prog_slot = header.arts_slot = header.name_slot = header.file_slot = 0;
    chunk(out, "MAPH", &header, sizeof header);

    // The game uses its own colour table and never reads this one.
    chunk(out, "CMAP", nullptr, 0);

    Tile_info tile_info = contents.tile_info;
    tile_info.table_slot = 0;
    chunk(out, "TINF", &tile_info, sizeof tile_info);

    size_t at = begin_chunk(out, "TILE");
    for (uint16_t v : contents.tile_table)
        put_u16(out, v);
    end_chunk(out, at);

    chunk(out, "FIDG", &contents.fidget, sizeof contents.fidget);

    size_t image_size = static_cast<size_t>(std::max(contents.map.image_size, 0));
    at = begin_chunk(out, "IMGS");
    for (const std::vector<uint8_t>& image : contents.images)
        put_sized(out, image.data(), image.size(), image_size);
    end_chunk(out, at);

    size_t record_size = static_cast<size_t>(std::max(contents.map.record_size, 0));
    at = begin_chunk(out, "FLDS");
    for (const Field_info& board : contents.boards)
        put_sized(out, &board, sizeof board, record_size);
    end_chunk(out, at);

    Speech_info speech_info = contents.speech_info;
    speech_info.items_slot = 0;
    chunk(out, "SINF", &speech_info, sizeof speech_info);

    at = begin_chunk(out, "SITM");
    for (const Speech_item& item : contents.speech_items) {
        out.push_back(item.flags);
        out.push_back(item.sample);
    }
    end_chunk(out, at);

    chunk(out, "PHON", nullptr, 0);

    // SAMP comes last: it is never empty (its count takes two bytes), so the
    // form length below, measured the usual way from byte 8, still lies
    // beyond the start of the last chunk, which is what the reader tests.
    at = begin_chunk(out, "SAMP");
    uint16_t count = static_cast<uint16_t>(contents.samples.size());
    out.push_back(static_cast<uint8_t>(count >> 8)); // the one big-endian number of the file
    out.push_back(static_cast<uint8_t>(count));
    uint32_t offset = 2 + 4u * count;
    for (size_t i = 0; i < count; ++i) {
        put_u32(out, offset);
        offset += 6 + static_cast<uint32_t>(contents.samples[i].data.size());
    }
    for (size_t i = 0; i < count; ++i) {
        const Map_sample& s = contents.samples[i];
        put_u16(out, s.rate);
        put_u16(out, s.second_word);
        put_u16(out, s.bits);
        put_bytes(out, s.data.data(), s.data.size());
    }
    end_chunk(out, at);

    uint32_t form_length = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(form_length >> (8 * i));
    return out;
}

int write_map_file(const Map_contents& contents, const char* path)
{
    std::vector<uint8_t> bytes = write_map_bytes(contents);
    FILE* f = std::fopen(path, "wb");
    if (!f) return -1;
    size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    int closed = std::fclose(f);
    return written == bytes.size() && closed == 0 ? 0 : -1;
}
