// The map file: what the writer puts in, the reader takes out, and how it meets a file that is not right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "files/map_file.h"
#include "map_fixture.h"
#include "presentation/palette.h"

namespace
{

using Bytes = std::vector<uint8_t>;
using Chunks = std::vector<Raw_chunk>;

const char MISSING[] = "Oh dear, missing some goodies from the map file, I quit";
const char BAD_COUNT[] = "Bogus sample count in map file";

uint32_t u32_at(const Bytes& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

Raw_chunk& chunk(Chunks& chunks, const std::string& id)
{
    return *std::find_if(chunks.begin(), chunks.end(), [&](const Raw_chunk& c) { return c.id == id; });
}

// A SAMP chunk of `size` bytes: big-endian count, then the offsets.
Bytes sample_index(std::vector<uint32_t> offsets, size_t size)
{
    Bytes b = {static_cast<uint8_t>(offsets.size() >> 8), static_cast<uint8_t>(offsets.size())};
    for (uint32_t off : offsets)
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(off >> (8 * i)));
    b.resize(size, 0);
    return b;
}

class Map_file : public Map_test
{
  protected:
    Map_contents contents = test_map_contents();
    Chunks chunks = split_chunks(write_map_bytes(contents));
    int read_chunks(int64_t form_length = -1) { return read_bytes(form_bytes(chunks, form_length)); }
};

TEST_F(Map_file, WrittenMapReadsBackFieldForFieldStaysOpenAndPadsItsRecords)
{
    const Map_contents& m = contents;
    Bytes bytes = write_map_bytes(m);
    EXPECT_EQ(u32_at(bytes, 4), bytes.size() - 8);
    // What the reader replaces is written as zeros, so two builds never differ.
    Map_contents stale = m;
    stale.map.flds_pos = stale.map.file_slot = stale.tile_info.table_slot = stale.speech_info.items_slot = 99;
    EXPECT_EQ(write_map_bytes(stale), bytes);
    uint32_t slots = u32_at(chunk(chunks, "TINF").data, 20) + u32_at(chunk(chunks, "SINF").data, 16);
    for (size_t at : {44, 56, 60, 64, 68, 72, 76})
        slots += u32_at(chunk(chunks, "MAPH").data, at);
    EXPECT_EQ(slots, 0u);
    state.play_board.rows = state.pristine_board.rows = state.screen_board.rows = 9;
    ASSERT_EQ(read_bytes(bytes), 0);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(state.play_board.rows + state.pristine_board.rows + state.screen_board.rows, 0);
    EXPECT_EQ(std::vector<int>({state.map.num_levels, state.map.record_size, state.map.image_size, state.colour_count}),
              std::vector<int>({m.map.num_levels, m.map.record_size, m.map.image_size, 128}));
    EXPECT_EQ(std::memcmp(&state.tile_info, &m.tile_info, sizeof m.tile_info), 0);
    EXPECT_EQ(std::memcmp(&state.fidget, &m.fidget, sizeof m.fidget), 0);
    EXPECT_EQ(std::memcmp(&state.speech_info, &m.speech_info, sizeof m.speech_info), 0);
    EXPECT_EQ(state.tile_table, m.tile_table);
    ASSERT_EQ(state.speech_items.size(), m.speech_items.size());
    EXPECT_EQ(std::memcmp(state.speech_items.data(), m.speech_items.data(), 2 * m.speech_items.size()), 0);
    EXPECT_EQ(state.cpyr_text + state.prog_text + state.arts_text, m.cpyr + m.prog + m.arts);
    EXPECT_EQ(state.colour_map, GAME_COLOUR_MAP);
    // Built-in levels first, then -1, -2, ... after them.
    Field_info board;
    for (size_t i = 0; i < m.boards.size(); ++i) {
        ASSERT_EQ(read_map_board(state, board, m.boards[i].number), 0);
        EXPECT_EQ(std::memcmp(&board, &m.boards[i], sizeof board), 0) << m.boards[i].number;
    }
    EXPECT_EQ(read_map_board(state, board, -6), -1);
    EXPECT_EQ(board.number, 0);
    Bytes image(TILE_W * TILE_H + 4, 0xEE); // the pixels themselves: the drawing tests
    ASSERT_EQ(read_map_image(state, image.data(), image.size(), TEST_TILES - 1), 0);
    EXPECT_EQ(Bytes(image.end() - 5, image.end()), Bytes({image_pixel(TEST_TILES - 1, 15, 11), 0, 0, 0, 0}));
    EXPECT_EQ(read_map_image(state, image.data(), image.size(), TEST_TILES), -1);
    EXPECT_EQ(image[0], 0);
    ASSERT_EQ(read_map_image(state, image.data(), 5, 1), 0); // cut at the buffer's size
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 6), Bytes({7, 10, 13, 16, 19, 0}));
    // The sample bytes as played: the sound tests.
    ASSERT_EQ(state.samples.size(), m.samples.size());
    Sample_info& s = state.samples[4];
    ASSERT_EQ(read_map_sample(state, s, image.data()), 0);
    EXPECT_EQ(std::vector<int>({s.rate_word, s.second_word, int(s.bits), s.length}),
              std::vector<int>({11025, 4, 16, 16}));
    // Reading again replaces the open file; a failed read leaves none open.
    ASSERT_EQ(read_bytes(bytes), 0);
    state.map_file_name = path("absent");
    File_diagnostics diagnostics;
    EXPECT_EQ(read_map_file(state, diagnostics), -1);
    EXPECT_EQ(state.map_file, nullptr);
    EXPECT_EQ(state.map.file_slot, 0xFFFFFFFFu);
    EXPECT_EQ(read_map_board(state, board, 1), -1);

    // The writer pads or cuts records and indexes samples from the data.
    contents.map.image_size = 6;
    contents.images = {{1, 2, 3}, {1, 2, 3, 4, 5, 6, 7, 8}};
    contents.map.record_size = -1; // no room for a record
    contents.samples.resize(2);
    contents.samples[1].data.clear(); // a sample with no data is read as one
    Chunks c = split_chunks(write_map_bytes(contents));
    EXPECT_EQ(chunk(c, "IMGS").data, (Bytes{1, 2, 3, 0, 0, 0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(chunk(c, "FLDS").data.size(), 0u);
    const Bytes& samp = chunk(c, "SAMP").data;
    EXPECT_EQ(std::vector<uint32_t>({samp[0], samp[1], u32_at(samp, 2), u32_at(samp, 6), uint32_t(samp.size())}),
              std::vector<uint32_t>({0, 2, 10, 10 + 6 + 8, 10 + 2 * 6 + 8}));
    ASSERT_EQ(read_bytes(form_bytes(c)), 0);
    EXPECT_EQ(state.samples.at(1).length, 0);
    EXPECT_EQ(read_map_sample(state, state.samples[1], nullptr), 0);
    contents.samples.clear();
    EXPECT_EQ(chunk(c = split_chunks(write_map_bytes(contents)), "SAMP").data, (Bytes{0, 0}));
    EXPECT_EQ(read_bytes(write_map_bytes(contents)), 0); // an index that fills its chunk exactly
    const std::string name = path("written");
    ASSERT_EQ(write_map_file(contents, name.c_str()), 0);
    EXPECT_EQ(file_bytes(name), write_map_bytes(contents)); // those bytes and no more
    EXPECT_EQ(write_map_file(contents, (path("no_dir") + "/x/Zandrek.map").c_str()), -1);
}

TEST_F(Map_file, DamagedFilesAreRefusedWithOneMessageOddOnesRead)
{
    const std::string smell = "File %s smells bad, not ", cut = "File %s is cut short, not a whole Zandrek map file";
    const Bytes good = form_bytes(chunks);
    auto with = [&](const char* id, const Bytes& data) {
        Chunks c = chunks;
        chunk(c, id).data = data;
        return form_bytes(c);
    };
    const uint32_t last_start = static_cast<uint32_t>(good.size() - 8 - chunks.back().data.size());
    std::vector<std::pair<Bytes, std::string>> cases = {
        {Bytes{'F', 'O', 'R', 'm'}, smell + "an IFF FORM file"},
        {Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 0, 'S', 'O', 'K', 'X'}, smell + "a Zandrek map file"},
        {Bytes{'F', 'O', 'R'}, smell + "an IFF FORM file"},
        {with("SAMP", sample_index({2, 3}, 9)), BAD_COUNT},
        {with("SAMP", {0}), BAD_COUNT},
        {form_bytes(chunks, 12), MISSING},
        {form_bytes(chunks, last_start), MISSING}, // the last chunk outside the form
    };
    for (size_t n : {size_t(12), size_t(15), size_t(30), good.size() - 1})
        cases.emplace_back(Bytes(good.begin(), good.begin() + n), cut);
    for (size_t i = 0; i < chunks.size(); ++i) {
        Chunks c = chunks;
        c.erase(c.begin() + i);
        cases.emplace_back(form_bytes(c), MISSING);
    }
    for (auto [id, message] : {std::pair<const char*, const char*>{"MAPH", "Bogus Map Header size in map file"},
                               {"TINF", "Bogus Tile_info size in map file"},
                               {"FIDG", "Bogus Fidget_info length in map file"},
                               {"SINF", "Bogus Speech_info size in map file"}})
        for (int delta : {1, -1})
            cases.emplace_back(with(id, Bytes(chunk(chunks, id).data.size() + delta)), message);
    for (size_t i = 0; i < cases.size(); ++i) {
        offscreen_reset();
        EXPECT_EQ(read_bytes(cases[i].first), -1) << i;
        std::string message = cases[i].second;
        if (message.find("%s") != std::string::npos) message.replace(message.find("%s"), 2, state.map_file_name);
        EXPECT_EQ(box_texts(), std::vector<std::string>{message}) << i;
        EXPECT_EQ(state.map_file, nullptr);
    }

    // Read: one byte of the last chunk inside the form; chunks in any order, repeated or unknown.
    EXPECT_EQ(read_chunks(last_start + 1), 0);
    offscreen_reset();
    std::reverse(chunks.begin(), chunks.end());
    chunks.push_back(Raw_chunk{"TILE", {7, 0, 9, 0, 11}}); // odd length: no pad byte follows
    chunks.push_back(Raw_chunk{"CPYR", {'n', 'e', 'w'}});
    chunks.push_back(Raw_chunk{"JUNK", {1, 2, 3}});
    chunks.push_back(Raw_chunk{"maph", Bytes(80)}); // ids are case-sensitive
    chunks.push_back(Raw_chunk{"PROG", {'p'}});
    // The table slots keep what they held; the header's positions are replaced.
    std::memcpy(&chunk(chunks, "TINF").data[20], "\xEF\xBE\xAD\xDE", 4);
    std::memcpy(&chunk(chunks, "SINF").data[16], "\xEF\xBE\xAD\xDE", 4);
    std::fill(chunk(chunks, "MAPH").data.begin() + 44, chunk(chunks, "MAPH").data.end(), 0xAB);
    state.tile_info.table_slot = 1234, state.speech_info.items_slot = 5678;
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(box_texts(), std::vector<std::string>(2, "Bogus chunk type seen in Zandrek map file"));
    EXPECT_EQ(state.tile_table, (std::vector<uint16_t>{7, 9, 11}));
    EXPECT_EQ(state.cpyr_text + state.prog_text, "newp");
    EXPECT_EQ(std::vector<uint32_t>(
                  {state.tile_info.table_slot, state.speech_info.items_slot, uint32_t(state.tile_info.width)}),
              std::vector<uint32_t>({1234, 5678, TILE_W}));
    for (uint32_t v :
         {state.map.flds_pos, state.map.imgs_pos, state.map.cpyr_slot, state.map.name_slot, state.map.file_slot})
        EXPECT_NE(v, 0xABABABABu);
}

TEST_F(Map_file, SampleOffsetsAreTakenAsTheyStandButNeverReadOutside)
{
    // Per sample: length, fits its chunk, what reading gives. A wild first offset wraps its length round to a small
    // number, only the position tells; an offset before the one ahead of it gives a negative length.
    using Row = std::tuple<std::vector<uint32_t>, size_t, std::vector<int64_t>>;
    for (const auto& [offsets, size, expected] :
         {Row{{14, 120, 320}, 514, {100, 1, 0, 194, 1, 0, 188, 1, 0}},
          Row{{0xFFFFFFF0u, 10}, 40, {20, 0, -1, 24, 1, 0}}, Row{{60, 30}, 40, {-36, 0, -1, 4, 1, 0}}}) {
        chunk(chunks, "SAMP").data = sample_index(offsets, size);
        ASSERT_EQ(read_chunks(), 0);
        std::vector<int64_t> seen;
        uint8_t data[256];
        for (Sample_info& s : state.samples)
            seen.insert(seen.end(), {s.length, map_sample_fits(state, s), read_map_sample(state, s, data)});
        EXPECT_EQ(seen, expected) << offsets[0];
    }
    state.samples[1].length = 5;
    EXPECT_FALSE(map_sample_fits(state, state.samples[1]));
    // Hostile record sizes never reach outside their chunk; a size of one byte reads.
    Field_info board;
    uint8_t image[16];
    std::memcpy(&chunk(chunks, "MAPH").data[28], "\xFF\xFF\xFF\x7F", 4);
    for (auto [size, sum] : {std::pair<int32_t, int>{0, -3}, {-1340, -3}, {0x7FFFFFFF, -3}, {1, -2}}) {
        std::memcpy(&chunk(chunks, "MAPH").data[40], &size, 4);
        std::memcpy(&chunk(chunks, "MAPH").data[52], &size, 4);
        ASSERT_EQ(read_chunks(), 0);
        EXPECT_EQ(read_map_board(state, board, -5) + read_map_board(state, board, 1) +
                      read_map_image(state, image, sizeof image, 0xFFFFFFFFu),
                  sum)
            << size;
    }
}

} // namespace
