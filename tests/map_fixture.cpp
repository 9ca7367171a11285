#include "map_fixture.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "files/map_file.h"
#include "shell/platform_offscreen.h"

Map_contents small_map_contents()
{
    Map_contents m;
    m.map.num_levels = 2;
    m.map.record_size = sizeof(Field_info);
    m.map.image_size = 16;
    for (int n = 0; n < 7; ++n) {
        Field_info board{};
        board.number = static_cast<int16_t>(n < 2 ? n + 1 : 1 - n);
        board.rows = 3;
        board.columns = 4;
        board.treasures = static_cast<int16_t>(n);
        board.start_sound = board.banked_sound = board.solved_sound = board.spare_sound = NO_SOUND;
        for (int i = 0; i < 12; ++i) {
            board.cells[i].tile = static_cast<uint16_t>((i + n) % 3);
            board.cells[i].content = board.cells[i].floor = i % 4 == 0 ? KIND_WALL : KIND_FLOOR;
        }
        m.boards.push_back(board);
    }
    m.tile_info.width = 4;
    m.tile_info.height = 4;
    m.tile_info.image_size = 16;
    m.tile_info.slots_14_to_27[0] = 2;
    for (int k = 0; k < 3; ++k) {
        std::vector<uint8_t> image(16);
        for (int i = 0; i < 16; ++i)
            image[i] = static_cast<uint8_t>(k * 16 + i);
        m.images.push_back(image);
    }
    m.tile_table = {0, 1, 2, 2, 1};
    m.fidget.sequence_count = 1;
    for (auto& seq : m.fidget.sequences)
        for (auto& frame : seq)
            frame = FIDGET_END;
    m.fidget.sequences[0][0] = 3;
    m.fidget.sequences[0][1] = 4;
    m.speech_info.num_samples = 3;
    for (int i = 0; i < 8; ++i)
        m.speech_info.ids_8_to_15[i] = static_cast<uint8_t>(i % 4);
    m.speech_items = {{1, 0}, {1, 1}, {0, 0}, {1, 2}};
    for (int k = 0; k < 3; ++k) {
        Map_sample s;
        s.rate = static_cast<uint16_t>(8000 + k);
        s.second_word = static_cast<uint16_t>(k);
        s.bits = k == 2 ? 16 : 8;
        for (int i = 0; i < 10 + 7 * k; ++i)
            s.data.push_back(static_cast<uint8_t>(i * 3 + k));
        m.samples.push_back(s);
    }
    m.cpyr = "Made for the tests";
    m.prog = "Program";
    m.arts = "Art";
    return m;
}

std::string temp_map_path(const std::string& stem)
{
    static std::atomic<int> counter{0};
    static const unsigned run = std::random_device{}();
    auto dir = std::filesystem::temp_directory_path();
    // The stem comes last, so that it may carry an extension.
    std::string name = "zandrek_" + std::to_string(run) + "_" + std::to_string(counter++) + "_" + stem;
    return (dir / name).string();
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<uint8_t> file_bytes(const std::string& path)
{
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    std::fclose(f);
    return out;
}

static void put_u32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> form_bytes(const std::vector<Raw_chunk>& chunks, int64_t form_length)
{
    std::vector<uint8_t> out = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'S', 'O', 'K', 'O'};
    for (const Raw_chunk& c : chunks) {
        out.insert(out.end(), c.id.begin(), c.id.end());
        put_u32(out, static_cast<uint32_t>(c.data.size()));
        out.insert(out.end(), c.data.begin(), c.data.end());
    }
    uint32_t length = static_cast<uint32_t>(form_length < 0 ? out.size() - 8 : form_length);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    return out;
}

std::vector<Raw_chunk> split_chunks(const std::vector<uint8_t>& bytes)
{
    std::vector<Raw_chunk> chunks;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        uint32_t length =
            bytes[pos + 4] | bytes[pos + 5] << 8 | bytes[pos + 6] << 16 | static_cast<uint32_t>(bytes[pos + 7]) << 24;
        if (length > bytes.size() - pos - 8) break;  // a damaged length: the rest is no chunk
        Raw_chunk c;
        c.id.assign(bytes.begin() + pos, bytes.begin() + pos + 4);
        c.data.assign(bytes.begin() + pos + 8, bytes.begin() + pos + 8 + length);
        chunks.push_back(c);
        pos += 8 + length;
    }
    return chunks;
}

std::vector<std::string> box_texts()
{
    std::vector<std::string> out;
    for (const Platform_call* c : offscreen_calls_of(CALL_BOX))
        out.push_back(c->text);
    return out;
}

void Map_test::SetUp()
{
    offscreen_reset();
}

void Map_test::TearDown()
{
    if (state.map_file) std::fclose(state.map_file);
    state.map_file = nullptr;
    std::error_code ignored;
    for (const std::string& p : paths)
        std::filesystem::remove(p, ignored);
}

std::string Map_test::path(const std::string& stem)
{
    paths.push_back(temp_map_path(stem));
    return paths.back();
}

int Map_test::read_bytes(const std::vector<uint8_t>& bytes)
{
    state.map_file_name = path("map");
    write_bytes(state.map_file_name, bytes);
    return read_map_file(state);
}
