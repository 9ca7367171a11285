#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/line_io.h"
#include "files/pack_records.h"
#include "files/tile_sound_reader.h"

namespace
{

int read_tile_text(Pack_tile& tile, const std::string& text)
{
    Line_source source;
    open_line_source(source, text.data(), text.size());
    return read_tile(tile, source);
}

int read_sound_text(Pack_sound& sound, const std::string& text)
{
    Line_source source;
    open_line_source(source, text.data(), text.size());
    return read_sound(sound, source);
}

std::vector<int> decode(const std::string& line, int sample_size = 16, int capacity = 16)
{
    std::vector<int16_t> out(static_cast<size_t>(capacity));
    int count = 0;
    decode_sample_line(line, sample_size, out.data(), capacity, &count);
    return std::vector<int>(out.begin(), out.begin() + count);
}

TEST(TileReader, PixelsRowByRow)
{
    Pack_tile tile;
    ASSERT_EQ(read_tile_text(tile, "Name: crate\nWidth:3\nHeight: 2\nImagery: ignored\n"
                                   "1 2 3\n"
                                   "  4\t5 6 7\n"
                                   "9 9 9\n"
                                   "end\nend\n"),
              0);
    EXPECT_STREQ(tile.name, "crate");
    EXPECT_EQ(tile.width, 3);
    EXPECT_EQ(tile.height, 2);
    EXPECT_EQ(tile.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6})); // the third row is dropped
}

TEST(TileReader, PixelFieldsOutOfRangeOrMalformed)
{
    Pack_tile tile;
    ASSERT_EQ(read_tile_text(tile, "Width: 6\nHeight: 3\nImagery:\n1 2 300 -4 x\n7,8 9\n\nend\nend\n"), 0);
    EXPECT_EQ(tile.pixels, (std::vector<uint8_t>{1, 2, 0, 0, 0, 0, //
                                                 7, 9, 0, 0, 0, 0, // "7,8" is one field
                                                 0, 0, 0, 0, 0, 0}));
}

TEST(TileReader, MissingRowsAreZeroAndRecordNeedsBothEndLines)
{
    Pack_tile tile;
    ASSERT_EQ(read_tile_text(tile, "Width: 2\nHeight: 2\nImagery:\n5 6\nend\nendtile\n"), 0);
    EXPECT_EQ(tile.pixels, (std::vector<uint8_t>{5, 6, 0, 0}));

    Pack_tile unfinished;
    EXPECT_EQ(read_tile_text(unfinished, "Width: 2\nHeight: 2\nImagery:\n5 6\nend\n"), 1);
    Pack_tile open_block;
    EXPECT_EQ(read_tile_text(open_block, "Width: 2\nHeight: 2\nImagery:\n5 6\nendless\nend"), 1);
}

TEST(TileReader, SizeLinesWithoutNumberFail)
{
    for (const char* bad : {"Width:\nend\n", "Width: wide\nend\n", "Height: -\nend\n"}) {
        Pack_tile tile;
        EXPECT_EQ(read_tile_text(tile, bad), 1) << bad;
    }
}

TEST(TileReader, PicturesThatDoNotFitTheirSizesAreDropped)
{
    Pack_tile before_sizes;
    ASSERT_EQ(read_tile_text(before_sizes, "Imagery:\n1 2\nend\nWidth: 2\nHeight: 1\nend\n"), 0);
    EXPECT_TRUE(before_sizes.pixels.empty());

    Pack_tile resized;
    ASSERT_EQ(read_tile_text(resized, "Width: 2\nHeight: 1\nImagery:\n1 2\nend\nWidth: 3\nend\n"), 0);
    EXPECT_TRUE(resized.pixels.empty());

    Pack_tile huge;
    ASSERT_EQ(read_tile_text(huge, "Width: 2000000000\nHeight: 2000000000\nImagery:\n1\nend\nend\n"), 0);
    EXPECT_TRUE(huge.pixels.empty());

    Pack_tile negative;
    ASSERT_EQ(read_tile_text(negative, "Width: -3\nHeight: 4\nImagery:\n1\nend\nend\n"), 0);
    EXPECT_TRUE(negative.pixels.empty());

    Pack_tile none;
    ASSERT_EQ(read_tile_text(none, "Name: bare\nend\n"), 0);
    EXPECT_TRUE(none.pixels.empty());
}

TEST(SampleText, DigitsAndSigns)
{
    EXPECT_EQ(decode("g h i j -"), (std::vector<int>{0, 0, 1, -1, 15}));
    EXPECT_EQ(decode("Ah Zy effh"), (std::vector<int>{16, -300, 32767}));
    EXPECT_EQ(decode("A h"), (std::vector<int>{16})); // characters outside the alphabet change nothing
    EXPECT_EQ(decode("ij", 8), (std::vector<int>{256, -256}));
    EXPECT_EQ(decode("effh", 8), (std::vector<int>{static_cast<int16_t>(32767 * 256)}));
}

TEST(SampleText, NumbersNeverContinueAcrossLines)
{
    EXPECT_EQ(decode("iA"), (std::vector<int>{1}));
    Pack_sound sound;
    ASSERT_EQ(read_sound_text(sound, "NumSamples: 4\nData:\niA\nhj\nend\nend\n"), 0);
    EXPECT_EQ(sound.samples, (std::vector<int16_t>{1, 0, -1, 0}));
}

TEST(SoundReader, WholeRecord)
{
    Pack_sound sound;
    ASSERT_EQ(read_sound_text(sound, "Name: chime\nSpeed: 11025\nSampleSize: 8\nNumSamples: 3\n"
                                     "Data: rest ignored\ni j g\ni i\nend\nend\n"),
              0);
    EXPECT_STREQ(sound.name, "chime");
    EXPECT_EQ(sound.speed, 11025);
    EXPECT_EQ(sound.sample_size, 8);
    EXPECT_EQ(sound.num_samples, 3);
    EXPECT_EQ(sound.samples, (std::vector<int16_t>{256, -256, 0})); // five numbers, three kept
}

TEST(SoundReader, SampleSizesOtherThan8Or16Become16)
{
    Pack_sound sound;
    ASSERT_EQ(read_sound_text(sound, "SampleSize: 12\nend\n"), 0);
    EXPECT_EQ(sound.sample_size, 16);
}

TEST(SoundReader, FailuresAndDroppedSamples)
{
    for (const char* bad : {"Speed: fast\nend\n", "SampleSize:\nend\n", "NumSamples: x\nend\n",
                            "NumSamples: 2\nData:\ni\n", "Name: x\n"}) {
        Pack_sound sound;
        EXPECT_EQ(read_sound_text(sound, bad), 1) << bad;
    }
    Pack_sound before_count;
    ASSERT_EQ(read_sound_text(before_count, "Data:\niii\nend\nNumSamples: 3\nend\n"), 0);
    EXPECT_TRUE(before_count.samples.empty());

    Pack_sound short_data;
    ASSERT_EQ(read_sound_text(short_data, "NumSamples: 3\nData:\ni\nend\nend\n"), 0);
    EXPECT_EQ(short_data.samples, (std::vector<int16_t>{1, 0, 0}));

    Pack_sound enormous;
    ASSERT_EQ(read_sound_text(enormous, "NumSamples: 2147483647\nData:\ni\nend\nend\n"), 0);
    EXPECT_TRUE(enormous.samples.empty());
}

} // namespace
