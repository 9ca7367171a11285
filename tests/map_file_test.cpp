#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "files/map_file.h"
#include "map_fixture.h"
#include "presentation/palette.h"
#include "shell/platform_offscreen.h"

namespace
{

using Bytes = std::vector<uint8_t>;

Bytes u32_bytes(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

class Map_file : public Map_test
{
  protected:
    std::vector<Raw_chunk> chunks = split_chunks(write_map_bytes(small_map_contents()));

    Raw_chunk& find(const std::string& id)
    {
        for (Raw_chunk& c : chunks)
            if (c.id == id) return c;
        throw std::runtime_error("no chunk " + id);
    }
    int read_chunks(int64_t form_length = -1) { return read_bytes(form_bytes(chunks, form_length)); }
    void expect_refused_with(const std::string& message)
    {
        EXPECT_EQ(read_chunks(), -1);
        EXPECT_EQ(box_texts(), std::vector<std::string>{message});
        EXPECT_EQ(state.map_file, nullptr);
    }
};

TEST_F(Map_file, HeaderFailuresNameTheFile)
{
    state.map_file_name = path("absent");
    EXPECT_EQ(read_map_file(state), -1);
    EXPECT_EQ(box_texts(), std::vector<std::string>{"Can't open " + state.map_file_name + " for reading"});
    EXPECT_EQ(state.map.file_slot, 0xFFFFFFFFu);

    offscreen_reset();
    Bytes bytes = form_bytes(chunks);
    bytes[0] = 'f';
    EXPECT_EQ(read_bytes(bytes), -1);
    EXPECT_EQ(box_texts(),
              std::vector<std::string>{"File " + state.map_file_name + " smells bad, not an IFF FORM file"});

    offscreen_reset();
    bytes = form_bytes(chunks);
    bytes[11] = 'X';
    EXPECT_EQ(read_bytes(bytes), -1);
    EXPECT_EQ(box_texts(),
              std::vector<std::string>{"File " + state.map_file_name + " smells bad, not a Zandrek map file"});

    offscreen_reset();
    EXPECT_EQ(read_bytes({'F', 'O', 'R'}), -1);
    EXPECT_EQ(box_texts(),
              std::vector<std::string>{"File " + state.map_file_name + " smells bad, not an IFF FORM file"});
    EXPECT_EQ(state.map_file, nullptr);
}

TEST_F(Map_file, FixedSizeChunksOfTheWrongSizeAreFatal)
{
    const std::pair<const char*, const char*> rows[] = {
        {"MAPH", "Bogus Map Header size in map file"},
        {"TINF", "Bogus Tile_info size in map file"},
        {"FIDG", "Bogus Fidget_info length in map file"},
        {"SINF", "Bogus Speech_info size in map file"},
    };
    for (const auto& [id, message] : rows) {
        SCOPED_TRACE(id);
        for (int delta : {1, -1}) {
            offscreen_reset();
            chunks = split_chunks(write_map_bytes(small_map_contents()));
            Raw_chunk& c = find(id);
            if (delta > 0)
                c.data.push_back(0); // one byte more is fatal though the record would still read
            else
                c.data.pop_back();
            expect_refused_with(message);
        }
    }
}

TEST_F(Map_file, EveryChunkMustBeSeenAtLeastOnce)
{
    const std::string missing = "Oh dear, missing some goodies from the map file, I quit";
    for (size_t i = 0; i < chunks.size(); ++i) {
        SCOPED_TRACE(i);
        offscreen_reset();
        chunks = split_chunks(write_map_bytes(small_map_contents()));
        chunks.erase(chunks.begin() + static_cast<long>(i));
        expect_refused_with(missing);
    }
}

TEST_F(Map_file, FormLengthIsComparedWithTheAbsolutePosition)
{
    const std::string missing = "Oh dear, missing some goodies from the map file, I quit";
    EXPECT_EQ(read_chunks(12), -1);
    EXPECT_EQ(box_texts(), std::vector<std::string>{missing});

    // A form length equal to the start of the last chunk leaves it unread;
    // one byte more reads it.
    offscreen_reset();
    Bytes bytes = form_bytes(chunks);
    uint32_t last_start = static_cast<uint32_t>(bytes.size() - 8 - chunks.back().data.size());
    EXPECT_EQ(read_chunks(last_start), -1);
    EXPECT_EQ(box_texts(), std::vector<std::string>{missing});
    offscreen_reset();
    EXPECT_EQ(read_chunks(last_start + 1), 0);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Map_file, ChunksComeInAnyOrderAndRepeatsReplace)
{
    std::reverse(chunks.begin(), chunks.end());
    Raw_chunk extra_tile{"TILE", {7, 0, 9, 0, 11}}; // odd length: no pad byte follows
    chunks.push_back(extra_tile);
    chunks.push_back(Raw_chunk{"CPYR", {'n', 'e', 'w'}});
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(state.tile_table, (std::vector<uint16_t>{7, 9, 11}));
    EXPECT_EQ(state.cpyr_text, "new");
    EXPECT_EQ(state.prog_text, "Program");
    EXPECT_EQ(state.map.num_levels, 2);
    EXPECT_EQ(state.samples.size(), 3u);
}

TEST_F(Map_file, PointerSlotsKeepTheirValuesAcrossCopies)
{
    Raw_chunk& tinf = find("TINF");
    Raw_chunk& sinf = find("SINF");
    std::memcpy(&tinf.data[20], "\xEF\xBE\xAD\xDE", 4);
    std::memcpy(&sinf.data[16], "\xEF\xBE\xAD\xDE", 4);
    Raw_chunk& maph = find("MAPH");
    for (int i = 44; i < 80; ++i)
        maph.data[static_cast<size_t>(i)] = 0xAB;
    state.tile_info.table_slot = 1234;
    state.speech_info.items_slot = 5678;
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(state.tile_info.table_slot, 1234u);
    EXPECT_EQ(state.speech_info.items_slot, 5678u);
    EXPECT_EQ(state.tile_info.width, 4);
    EXPECT_NE(state.map.flds_pos, 0xABABABABu);
    EXPECT_NE(state.map.imgs_pos, 0xABABABABu);
    EXPECT_NE(state.map.file_slot, 0xABABABABu);
}

TEST_F(Map_file, UnknownChunkShowsOneBoxAndReadingGoesOn)
{
    chunks.insert(chunks.begin() + 3, Raw_chunk{"JUNK", {1, 2, 3}});
    chunks.insert(chunks.begin() + 3, Raw_chunk{"maph", Bytes(80)}); // ids are case-sensitive
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(box_texts(), (std::vector<std::string>{"Bogus chunk type seen in Zandrek map file",
                                                     "Bogus chunk type seen in Zandrek map file"}));
    EXPECT_EQ(state.map.num_levels, 2);
}

TEST_F(Map_file, ColourMapIsAlwaysTheBuiltInOne)
{
    find("CMAP").data = Bytes(384, 0x55);
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(state.colour_map, GAME_COLOUR_MAP);
    EXPECT_EQ(state.colour_count, 128);

    chunks = split_chunks(write_map_bytes(small_map_contents()));
    ASSERT_TRUE(find("CMAP").data.empty());
    state.colour_map = nullptr;
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(state.colour_map, GAME_COLOUR_MAP);
}

TEST_F(Map_file, SampleIndexIsBigEndianCountAndLittleEndianOffsets)
{
    Bytes samp = {0, 3};
    for (uint32_t off : {14u, 120u, 320u}) {
        Bytes b = u32_bytes(off);
        samp.insert(samp.end(), b.begin(), b.end());
    }
    samp.resize(514, 0);
    find("SAMP").data = samp;
    ASSERT_EQ(read_chunks(), 0);
    ASSERT_EQ(state.samples.size(), 3u);
    EXPECT_EQ(state.samples[0].offset, 14u);
    EXPECT_EQ(state.samples[0].length, 100);
    EXPECT_EQ(state.samples[1].length, 194);
    EXPECT_EQ(state.samples[2].length, 188);
    EXPECT_EQ(state.samp_length, 514u);
    Bytes whole = file_bytes(state.map_file_name);
    EXPECT_EQ(whole[state.samp_pos + 1], 3);
}

TEST_F(Map_file, WildSampleOffsetsAreKeptButNeverRead)
{
    Bytes samp = {0, 2};
    for (uint32_t off : {0xFFFFFFF0u, 10u}) {
        Bytes b = u32_bytes(off);
        samp.insert(samp.end(), b.begin(), b.end());
    }
    samp.resize(40, 0);
    find("SAMP").data = samp;
    ASSERT_EQ(read_chunks(), 0);
    ASSERT_EQ(state.samples.size(), 2u);
    // The first offset lies far outside the chunk; its length wrapped round
    // to a small number, so only the position tells it is wild.
    EXPECT_EQ(state.samples[0].length, 20);
    EXPECT_FALSE(map_sample_fits(state, state.samples[0]));
    EXPECT_TRUE(map_sample_fits(state, state.samples[1]));
    uint8_t data[64];
    EXPECT_EQ(read_map_sample(state, state.samples[0], data), -1);
    EXPECT_EQ(read_map_sample(state, state.samples[1], data), 0);

    samp[2] = 60; // the second offset now lies before the first: a negative length
    samp[3] = samp[4] = samp[5] = 0;
    samp[6] = 30;
    find("SAMP").data = samp;
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(state.samples[0].length, 30 - 60 - 6);
    EXPECT_FALSE(map_sample_fits(state, state.samples[0]));
}

TEST_F(Map_file, SampleIndexLongerThanItsChunkIsRefused)
{
    find("SAMP").data = {0, 200, 0, 0, 0, 0};
    expect_refused_with("Bogus sample count in map file");
    offscreen_reset();
    find("SAMP").data = {0};
    expect_refused_with("Bogus sample count in map file");
}

TEST_F(Map_file, TruncatedFilesAreRefusedWithAMessage)
{
    Bytes whole = form_bytes(chunks);
    for (size_t cut : {size_t(12), size_t(15), size_t(20), whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        offscreen_reset();
        Bytes bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
        EXPECT_EQ(read_bytes(bytes), -1);
        std::vector<std::string> boxes = box_texts();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "File " + state.map_file_name + " is cut short, not a whole Zandrek map file");
        EXPECT_EQ(state.map_file, nullptr);
    }
}

TEST_F(Map_file, ReadingFillsTheStateAndLeavesTheFileOpen)
{
    Map_contents m = small_map_contents();
    state.play_board.rows = 9;
    ASSERT_EQ(read_chunks(), 0);
    ASSERT_NE(state.map_file, nullptr);
    EXPECT_EQ(state.play_board.rows, 0);
    EXPECT_EQ(state.tile_table, m.tile_table);
    EXPECT_EQ(state.speech_items.size(), 4u);
    EXPECT_EQ(state.speech_items[3].sample, 2);
    EXPECT_EQ(state.fidget.sequences[0][1], 4);
    EXPECT_EQ(state.speech_info.num_samples, 3);
    EXPECT_EQ(state.arts_text, "Art");

    // Built-in levels first, then -1, -2, ... after them.
    Field_info board;
    for (int n : {1, 2, -1, -3, -5}) {
        ASSERT_EQ(read_map_board(state, board, n), 0);
        EXPECT_EQ(board.number, n);
    }
    EXPECT_EQ(read_map_board(state, board, -6), -1);
    EXPECT_EQ(board.number, 0);

    uint8_t image[20];
    std::memset(image, 0xEE, sizeof image);
    ASSERT_EQ(read_map_image(state, image, sizeof image, 2), 0);
    EXPECT_EQ(image[0], 32);
    EXPECT_EQ(image[15], 47);
    EXPECT_EQ(image[16], 0); // beyond the record
    EXPECT_EQ(read_map_image(state, image, sizeof image, 3), -1);
    EXPECT_EQ(image[0], 0);

    Sample_info& s = state.samples[2];
    ASSERT_TRUE(map_sample_fits(state, s));
    std::vector<uint8_t> data(static_cast<size_t>(s.length));
    ASSERT_EQ(read_map_sample(state, s, data.data()), 0);
    EXPECT_EQ(s.rate_word, 8002);
    EXPECT_EQ(s.second_word, 2);
    EXPECT_EQ(s.bits, 16u);
    EXPECT_EQ(data, m.samples[2].data);
}

TEST_F(Map_file, HostileRecordSizesNeverReachOutsideTheChunk)
{
    for (int32_t size : {0, -1340, 0x7FFFFFFF}) {
        SCOPED_TRACE(size);
        Raw_chunk& maph = find("MAPH");
        std::memcpy(&maph.data[40], &size, 4);
        std::memcpy(&maph.data[52], &size, 4);
        std::memcpy(&maph.data[28], "\xFF\xFF\xFF\x7F", 4);
        ASSERT_EQ(read_chunks(), 0);
        Field_info board;
        EXPECT_EQ(read_map_board(state, board, -5), -1);
        EXPECT_EQ(read_map_board(state, board, 1), -1);
        uint8_t image[16];
        EXPECT_EQ(read_map_image(state, image, sizeof image, 0xFFFFFFFFu), -1);
    }
}

} // namespace
