#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/map_file.h"
#include "map_fixture.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/map_description.h"

namespace
{

namespace fs = std::filesystem;

const char SHIPPED[] = "assets/map/zandrek_map.txt";

class Map_description : public Map_test
{
  protected:
    // A description that includes the shipped one and adds `extra` lines.
    std::string description_with(const std::string& extra)
    {
        std::string p = path("description.txt");
        std::ofstream(p, std::ios::binary) << "include " << fs::absolute(SHIPPED).string() << "\n" << extra;
        return p;
    }
};

TEST_F(Map_description, ShippedDescriptionBuildsAMapTheGameReads)
{
    Map_contents m;
    std::string levels, error;
    ASSERT_EQ(read_map_description(SHIPPED, m, levels, error), 0) << error;
    EXPECT_EQ(m.map.num_levels, 50);
    ASSERT_EQ(m.boards.size(), 55u);
    std::vector<uint8_t> bytes = write_map_bytes(m);

    Map_contents again;
    ASSERT_EQ(read_map_description(SHIPPED, again, levels, error), 0);
    EXPECT_EQ(write_map_bytes(again), bytes); // no timestamps, no stray bytes

    ASSERT_EQ(read_bytes(bytes), 0);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(state.samples.size(), static_cast<size_t>(state.speech_info.num_samples));
    EXPECT_GE(state.fidget.sequence_count, 2);
    for (int n = 1; n <= 50; ++n) {
        Field_info board;
        ASSERT_EQ(read_map_board(state, board, n), 0);
        EXPECT_EQ(board.number, n);
        EXPECT_EQ(board.rows, LEVEL_ROWS);
        EXPECT_GT(board.treasures, 0);
        const Field_cell& start = board.cells[board.start_y * LEVEL_COLS + board.start_x];
        EXPECT_EQ(start.content, KIND_PLAYER) << n;
    }
    for (int k = 1; k <= 5; ++k) {
        Field_info board;
        ASSERT_EQ(read_map_board(state, board, -k), 0);
        EXPECT_EQ(board.number, -k);
    }
    // Every tile code a board, the player table or a fidget sequence uses has an image.
    size_t images = state.imgs_length / static_cast<uint32_t>(state.map.image_size);
    for (uint16_t index : state.tile_table)
        EXPECT_LT(index, images);
    for (int slot : {14, 15, 17, 20, 21, 23, 24})
        EXPECT_LT(tile_info_slot(state.tile_info, slot), state.tile_table.size());
    for (const Speech_item& item : state.speech_items)
        if (item.flags & 1) {
            EXPECT_LT(item.sample, state.samples.size());
        }
    for (Sample_info& s : state.samples)
        EXPECT_TRUE(map_sample_fits(state, s));
}

TEST_F(Map_description, MistakesNameTheFileAndLine)
{
    std::string pack = path("short.zrp");
    std::ofstream(pack, std::ios::binary) << "Zandrek Pack\nLevel:\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    const std::pair<std::string, std::string> mistakes[] = {
        {"colour q 7\nfidget 1 2 x\n", ":3: tile codes are 0 to 4095"},
        {"board title\n####\nend\n", ":3: board rows are 20 characters"},
        {"levels nowhere.zrp\n", "nowhere.zrp: no such file"},
        {"sample odd missing.wav\n", "missing.wav: cannot open the file"},
        {"levels " + pack + "\n", "holds 1 levels, 50 are needed"},
    };
    for (const auto& [extra, message] : mistakes) {
        Map_contents m;
        std::string levels, error, p = description_with(extra);
        EXPECT_EQ(read_map_description(p, m, levels, error), -1) << extra;
        EXPECT_NE(error.find(message), std::string::npos) << error;
        if (message[0] == ':') {
            EXPECT_EQ(error, p + message);
        }
    }
}

std::vector<uint8_t> wav(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                              'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    auto put16 = [&](uint32_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    };
    put16(channels);
    put16(rate & 0xFFFF);
    put16(rate >> 16);
    uint32_t bytes_per_second = rate * channels * bits / 8;
    put16(bytes_per_second & 0xFFFF);
    put16(bytes_per_second >> 16);
    put16(channels * bits / 8);
    put16(bits);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put16(static_cast<uint32_t>(data.size()));
    put16(0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

TEST_F(Map_description, WavSamplesBecomeSignedMapSamples)
{
    std::string p = path("sound.wav");
    write_bytes(p, wav(1, 8000, 8, {0x80, 0xFF, 0x00}));
    Map_sample s;
    std::string error;
    ASSERT_EQ(read_wav_sample(p, s, error), 0) << error;
    EXPECT_EQ(s.rate, 8000);
    EXPECT_EQ(s.bits, 8);
    EXPECT_EQ(s.data, (std::vector<uint8_t>{0x00, 0x7F, 0x80}));

    write_bytes(p, wav(1, 22050, 16, {1, 2, 3, 4}));
    ASSERT_EQ(read_wav_sample(p, s, error), 0) << error;
    EXPECT_EQ(s.bits, 16);
    EXPECT_EQ(s.data, (std::vector<uint8_t>{1, 2, 3, 4}));

    write_bytes(p, wav(2, 8000, 8, {1, 2}));
    EXPECT_EQ(read_wav_sample(p, s, error), -1);
    EXPECT_EQ(error, p + ": samples must be mono");
    write_bytes(p, wav(1, 96000, 8, {1, 2}));
    EXPECT_EQ(read_wav_sample(p, s, error), -1);
    std::vector<uint8_t> cut = wav(1, 8000, 8, {1, 2, 3, 4});
    cut.resize(cut.size() - 2);
    write_bytes(p, cut);
    EXPECT_EQ(read_wav_sample(p, s, error), -1);
    EXPECT_EQ(error, p + ": a chunk runs past the end of the file");
}

} // namespace
