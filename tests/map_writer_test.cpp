#include <gtest/gtest.h>

#include <cstring>

#include "files/map_file.h"
#include "map_fixture.h"
#include "shell/platform_offscreen.h"

namespace
{

class Map_writer : public Map_test
{
};

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST_F(Map_writer, WrittenMapReadsBackFieldForField)
{
    Map_contents m = small_map_contents();
    std::string file = path("written");
    ASSERT_EQ(write_map_file(m, file.c_str()), 0);
    state.map_file_name = file;
    ASSERT_EQ(read_map_file(state), 0);
    EXPECT_TRUE(box_texts().empty());

    EXPECT_EQ(state.map.num_levels, m.map.num_levels);
    EXPECT_EQ(state.map.record_size, m.map.record_size);
    EXPECT_EQ(state.map.image_size, m.map.image_size);
    EXPECT_EQ(std::memcmp(state.map.unused_0, m.map.unused_0, sizeof m.map.unused_0), 0);
    EXPECT_EQ(std::memcmp(&state.tile_info, &m.tile_info, sizeof m.tile_info), 0);
    EXPECT_EQ(std::memcmp(&state.fidget, &m.fidget, sizeof m.fidget), 0);
    EXPECT_EQ(std::memcmp(&state.speech_info, &m.speech_info, sizeof m.speech_info), 0);
    EXPECT_EQ(state.tile_table, m.tile_table);
    ASSERT_EQ(state.speech_items.size(), m.speech_items.size());
    for (size_t i = 0; i < m.speech_items.size(); ++i) {
        EXPECT_EQ(state.speech_items[i].flags, m.speech_items[i].flags);
        EXPECT_EQ(state.speech_items[i].sample, m.speech_items[i].sample);
    }
    EXPECT_EQ(state.cpyr_text, m.cpyr);
    EXPECT_EQ(state.prog_text, m.prog);
    EXPECT_EQ(state.arts_text, m.arts);

    for (size_t i = 0; i < m.boards.size(); ++i) {
        int number = i < 2 ? static_cast<int>(i) + 1 : 1 - static_cast<int>(i);
        Field_info board;
        ASSERT_EQ(read_map_board(state, board, number), 0);
        EXPECT_EQ(std::memcmp(&board, &m.boards[i], sizeof board), 0) << number;
    }
    for (uint32_t k = 0; k < m.images.size(); ++k) {
        std::vector<uint8_t> image(16);
        ASSERT_EQ(read_map_image(state, image.data(), image.size(), k), 0);
        EXPECT_EQ(image, m.images[k]);
    }
    ASSERT_EQ(state.samples.size(), m.samples.size());
    for (size_t i = 0; i < m.samples.size(); ++i) {
        Sample_info& s = state.samples[i];
        ASSERT_EQ(s.length, static_cast<int32_t>(m.samples[i].data.size()));
        std::vector<uint8_t> data(static_cast<size_t>(s.length));
        ASSERT_EQ(read_map_sample(state, s, data.data()), 0);
        EXPECT_EQ(s.rate_word, m.samples[i].rate);
        EXPECT_EQ(s.second_word, m.samples[i].second_word);
        EXPECT_EQ(s.bits, m.samples[i].bits);
        EXPECT_EQ(data, m.samples[i].data);
    }
}

TEST_F(Map_writer, OutputIsAPlainFormAndTheSameEveryTime)
{
    Map_contents m = small_map_contents();
    std::vector<uint8_t> a = write_map_bytes(m);
    EXPECT_EQ(a, write_map_bytes(m));
    ASSERT_GE(a.size(), 12u);
    EXPECT_EQ(std::string(a.begin(), a.begin() + 4), "FORM");
    EXPECT_EQ(std::string(a.begin() + 8, a.begin() + 12), "SOKO");
    EXPECT_EQ(u32_at(a, 4), a.size() - 8);

    std::vector<Raw_chunk> chunks = split_chunks(a);
    std::vector<std::string> ids;
    for (const Raw_chunk& c : chunks)
        ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"CPYR", "PROG", "ARTS", "MAPH", "CMAP", "TINF", "TILE", "FIDG", "IMGS",
                                             "FLDS", "SINF", "SITM", "PHON", "SAMP"}));
    // What the reader replaces is written as zeros, so stale values never
    // make two builds differ.
    m.map.flds_pos = 77;
    m.map.file_slot = 99;
    m.tile_info.table_slot = 5;
    m.speech_info.items_slot = 6;
    EXPECT_EQ(write_map_bytes(m), a);
}

TEST_F(Map_writer, RecordsArePaddedOrCutToTheirSizes)
{
    Map_contents m = small_map_contents();
    m.map.image_size = 6;
    m.images = {{1, 2, 3}, {1, 2, 3, 4, 5, 6, 7, 8}};
    m.map.record_size = 64;
    std::vector<Raw_chunk> chunks = split_chunks(write_map_bytes(m));
    for (const Raw_chunk& c : chunks) {
        if (c.id == "IMGS") {
            EXPECT_EQ(c.data, (std::vector<uint8_t>{1, 2, 3, 0, 0, 0, 1, 2, 3, 4, 5, 6}));
        }
        if (c.id == "FLDS") {
            EXPECT_EQ(c.data.size(), 64u * m.boards.size());
        }
    }
}

TEST_F(Map_writer, SampleIndexUsesOffsetsFromTheStartOfTheData)
{
    Map_contents m = small_map_contents();
    std::vector<Raw_chunk> chunks = split_chunks(write_map_bytes(m));
    const Raw_chunk& samp = chunks.back();
    ASSERT_EQ(samp.id, "SAMP");
    EXPECT_EQ(samp.data[0], 0);
    EXPECT_EQ(samp.data[1], 3);
    EXPECT_EQ(u32_at(samp.data, 2), 14u);
    EXPECT_EQ(u32_at(samp.data, 6), 14u + 6 + 10);
    EXPECT_EQ(u32_at(samp.data, 10), 14u + 6 + 10 + 6 + 17);
    EXPECT_EQ(samp.data.size(), 14u + 3 * 6 + 10 + 17 + 24);

    m.samples.clear();
    chunks = split_chunks(write_map_bytes(m));
    EXPECT_EQ(chunks.back().data, (std::vector<uint8_t>{0, 0}));
}

TEST_F(Map_writer, UnwritablePathFails)
{
    std::string dir = path("no_such_dir");
    EXPECT_EQ(write_map_file(small_map_contents(), (dir + "/x/Zandrek.map").c_str()), -1);
}

} // namespace
