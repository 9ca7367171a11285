// Tile and sound records of a level pack, and the sample text of sounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/line_io.h"
#include "files/pack_records.h"
#include "files/tile_sound_reader.h"

namespace
{

template <typename Record> int read_text(Record& record, const std::string& text)
{
    Line_source source;
    open_line_source(source, text.data(), text.size());
    if constexpr (std::is_same_v<Record, Pack_tile>)
        return read_tile(record, source);
    else
        return read_sound(record, source);
}

std::vector<int> decode(const std::string& line, int sample_size = 16, int capacity = 16)
{
    std::vector<int16_t> out(static_cast<size_t>(capacity));
    int count = 0;
    decode_sample_line(line, sample_size, out.data(), capacity, &count);
    return std::vector<int>(out.begin(), out.begin() + count);
}

TEST(TileReader, PixelsRowByRowWhateverTheFieldsHold)
{
    struct Case {
        const char* text;
        int width, height;
        std::vector<uint8_t> pixels;
    };
    // clang-format off
    const Case cases[] = {
        {"Name: crate\nWidth:3\nHeight: 2\nImagery: ignored\n1 2 3\n  4\t5 6 7\n9 9 9\nend\nend\n", 3, 2, {1, 2, 3, 4, 5, 6}},
        {"Width: 6\nHeight: 3\nImagery:\n1 2 300 -4 x\n7,8 +9 255 256 -0\n\nend\nend\n", 6, 3,
         {1, 2, 0, 0, 0, 0, 7, 9, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, // "7,8" is one field
        {"Width: 2\nHeight: 2\nImagery:\n5 6\nend\nendtile\n", 2, 2, {5, 6, 0, 0}},
        {"Width: 1\nHeight: 1\nImagery:\n99999999999\nend\nend\n", 1, 1, {0}},
        // Pictures that do not fit their sizes are dropped.
        {"Imagery:\n1 2\nend\nWidth: 2\nHeight: 1\nend\n", 2, 1, {}},
        {"Width: 2\nHeight: 1\nImagery:\n1 2\nend\nWidth: 3\nend\n", 3, 1, {}},
        {"Width: 2000000000\nHeight: 2000000000\nImagery:\n1\nend\nend\n", 2000000000, 2000000000, {}},
        {"Width: 4096\nHeight: 4097\nImagery:\n1\nend\nend\n", 4096, 4097, {}},
        {"Width: -3\nHeight: 4\nImagery:\n1\nend\nend\n", -3, 4, {}},
        {"Width: 3\nHeight: 0\nImagery:\n1\nend\nend\n", 3, 0, {}},
        {"Width: 99999999999\nHeight: -99999999999\nend\n", 2147483647, -2147483647 - 1, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        Pack_tile tile;
        ASSERT_EQ(read_text(tile, c.text), 0) << c.text;
        EXPECT_EQ(tile.width, c.width) << c.text;
        EXPECT_EQ(tile.height, c.height) << c.text;
        EXPECT_EQ(tile.pixels, c.pixels) << c.text;
    }
    Pack_tile named;
    ASSERT_EQ(read_text(named, "Name: crate\nend\n"), 0);
    EXPECT_STREQ(named.name, "crate");
    for (const char* bad : {"Width:\nend\n", "Width: wide\nend\n", "Height: -\nend\n", "Width: 2\nImagery:\n5 6\nend\n",
                            "Width: 1\nHeight: 1\nImagery:\n5\nendless\nend", ""}) {
        Pack_tile tile;
        EXPECT_EQ(read_text(tile, bad), 1) << bad;
    }
}

TEST(SoundReader, SampleTextDigitsSignsAndLines)
{
    EXPECT_EQ(decode("g h i j -"), (std::vector<int>{0, 0, 1, -1, 15}));
    EXPECT_EQ(decode("Ah Zy effh 9_"), (std::vector<int>{16, -300, 32767, -14, -15}));
    EXPECT_EQ(decode("A h"), (std::vector<int>{16})); // characters outside the alphabet change nothing
    EXPECT_EQ(decode("ij", 8), (std::vector<int>{256, -256}));
    EXPECT_EQ(decode("effh", 8), (std::vector<int>{static_cast<int16_t>(32767 * 256)}));
    EXPECT_EQ(decode("iA"), (std::vector<int>{1})); // a number never continues on the next line
    EXPECT_EQ(decode("ijij", 16, 3), (std::vector<int>{1, -1, 1}));
    EXPECT_EQ(decode("AAAAAAAh"), (std::vector<int>{0})); // past 30 bits the digits are shifted out

    struct Case {
        const char* text;
        int speed, size, count;
        std::vector<int16_t> samples;
    };
    // clang-format off
    const Case cases[] = {
        {"Name: chime\nSpeed: 11025\nSampleSize: 8\nNumSamples: 3\nData: rest ignored\ni j g\ni i\nend\nend\n", 11025, 8, 3, {256, -256, 0}},
        {"NumSamples: 4\nData:\niA\nhj\nend\nend\n", 0, 0, 4, {1, 0, -1, 0}},
        {"SampleSize: 12\nend\n", 0, 16, 0, {}}, // sizes other than 8 and 16 become 16
        {"SampleSize: 16\nend\n", 0, 16, 0, {}},
        {"Data:\niii\nend\nNumSamples: 3\nend\n", 0, 0, 3, {}}, // samples before their count are dropped
        {"NumSamples: 3\nData:\ni\nend\nend\n", 0, 0, 3, {1, 0, 0}},
        {"NumSamples: 3\nData:\ni\nend\nNumSamples: 2\nend\n", 0, 0, 2, {}},
        {"NumSamples: 2147483647\nData:\ni\nend\nend\n", 0, 0, 2147483647, {}},
        {"NumSamples: -2\nData:\ni\nend\nend\n", 0, 0, -2, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        Pack_sound sound;
        ASSERT_EQ(read_text(sound, c.text), 0) << c.text;
        EXPECT_EQ(std::vector<int>({sound.speed, sound.sample_size, sound.num_samples}),
                  std::vector<int>({c.speed, c.size, c.count}))
            << c.text;
        EXPECT_EQ(sound.samples, c.samples) << c.text;
    }
    Pack_sound named;
    ASSERT_EQ(read_text(named, "Name: chime\nend\n"), 0);
    EXPECT_STREQ(named.name, "chime");
    for (const char* bad : {"Speed: fast\nend\n", "SampleSize:\nend\n", "NumSamples: x\nend\n",
                            "NumSamples: 2\nData:\ni\n", "Name: x\n", "Data:\ni\nendless\nend"}) {
        Pack_sound sound;
        EXPECT_EQ(read_text(sound, bad), 1) << bad;
    }
}

} // namespace
