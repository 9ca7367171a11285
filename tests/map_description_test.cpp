// The text description the map file is built from: what the shipped one
// holds, and each mistake named by its file and line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "map_fixture.h"
#include "tools/authoring/map_description.h"

namespace
{

namespace fs = std::filesystem;

const char SHIPPED[] = "assets/map/zandrek_map.txt";

// What a description gives; one that cannot be read fails the test.
Map_contents contents_of(const std::string& path)
{
    Map_contents contents;
    std::string used, error;
    EXPECT_EQ(read_map_description(path, contents, used, error), 0) << error;
    return contents;
}

TEST(MapDescription, TheShippedDescriptionGivesWhatItWrites)
{
    Map_contents contents;
    std::string used, error;
    ASSERT_EQ(read_map_description(SHIPPED, contents, used, error), 0) << error;
    const uint16_t* slots = contents.tile_info.slots_14_to_27;
    // player 5 6 8 7 10 9 11: slots 14 15 17 20 21 23 24
    EXPECT_THAT(std::make_tuple(slots[0], slots[1], slots[3], slots[6], slots[7], slots[9], slots[10]),
                testing::FieldsAre(5, 6, 8, 7, 10, 9, 11));
    EXPECT_THAT(std::make_tuple(contents.map.num_levels, contents.boards.size(), contents.samples.size(), contents.cpyr,
                                fs::path(used).generic_string()),
                testing::FieldsAre(50, 55u, 16u, "Zandrek 4.0 - (c) Ostrovane and the Zandrek team",
                                   "assets/levels/builtin.zrp"));
}

// Each tile image is 16 by 12 pixels, a byte each, its rows already a whole
// number of four-byte words.
TEST(MapDescription, TheShippedTilesAreSixteenByTwelve)
{
    Map_contents contents;
    std::string used, error;
    ASSERT_EQ(read_map_description(SHIPPED, contents, used, error), 0) << error;
    EXPECT_THAT(std::make_tuple(contents.tile_info.width, contents.tile_info.height, contents.tile_info.image_size,
                                contents.map.image_size),
                testing::FieldsAre(16, 12, 192, 192));
}

// Boards 51 to 55 are the special boards, title to about, with their sounds;
// level-tiles 1 1 ... 100 101 to 10 10 ... 118 119 give each level its treasures.
TEST(MapDescription, EachShippedBoardIsAsItsLinesDescribeIt)
{
    const Map_contents contents = contents_of(SHIPPED);
    const std::vector<Field_info>& b = contents.boards;
    EXPECT_THAT(std::make_tuple(b[50].number, b[54].number, b[50].start_sound, b[50].solved_sound, b[53].banked_sound),
                testing::FieldsAre(-1, -5, 4, 5, 15));
    EXPECT_THAT(std::make_tuple(b[0].kind_tiles[KIND_TREASURE], b[9].kind_tiles[KIND_BANKED_TREASURE]),
                testing::FieldsAre(100, 119));
}

// The five screens, boards 51 to 55, each the whole grid with no undo to offer.
TEST(MapDescription, EachScreenIsTheWholeGridWithNoUndo)
{
    const Map_contents contents = contents_of(SHIPPED);
    for (size_t k = 50; k < 55; ++k) {
        const Field_info& b = contents.boards.at(k);
        EXPECT_THAT(std::make_tuple(b.rows, b.columns, b.undo_player_after, b.undo_player_before, b.undo_treasure_to,
                                    b.undo_treasure_from),
                    testing::FieldsAre(LEVEL_ROWS, LEVEL_COLS, -1, -1, -1, -1))
            << "board " << k + 1;
    }
}

// fidget 12 5 ... fidget 13 6 13 7: seven sequences, each ended where its line ends.
TEST(MapDescription, EachFidgetLineIsASequenceInOrder)
{
    const Map_contents contents = contents_of(SHIPPED);
    const Fidget_info& f = contents.fidget;
    EXPECT_THAT(
        std::make_tuple(f.sequence_count, std::vector<int>(f.sequences[0], f.sequences[0] + 3),
                        std::vector<int>(f.sequences[6], f.sequences[6] + 5)),
        testing::FieldsAre(7, testing::ElementsAre(12, 5, FIDGET_END), testing::ElementsAre(13, 6, 13, 7, FIDGET_END)));
}

// The pictures' cells are tiles the description never names: they get codes
// of their own, and each code has an image.
TEST(MapDescription, EveryTileOnEveryBoardHasAnImage)
{
    const Map_contents contents = contents_of(SHIPPED);
    for (const Field_info& board : contents.boards)
        for (const Field_cell& cell : board.cells) {
            ASSERT_LT(cell.tile, contents.tile_table.size()) << "board " << board.number;
            EXPECT_LT(contents.tile_table[cell.tile], contents.images.size()) << "board " << board.number;
        }
}

// Pictures are scenery: nothing stands on them and nothing is pushed onto them.
TEST(MapDescription, EveryCellOfAPictureScreenIsAWall)
{
    const Map_contents contents = contents_of(SHIPPED);
    const uint8_t wall = KIND_WALL;
    for (const Field_info& board : contents.boards)
        if (board.number < 0) {
            EXPECT_THAT(board.cells, testing::Each(testing::FieldsAre(testing::_, wall, wall))) << board.number;
        }
}

TEST(MapDescription, ContentsReadIntoAreFilledAfresh)
{
    const Map_contents once = contents_of(SHIPPED);
    Map_contents twice;
    std::string used, error;
    for (int read = 0; read < 2; ++read)
        ASSERT_EQ(read_map_description(SHIPPED, twice, used, error), 0) << error;
    EXPECT_EQ(std::make_tuple(twice.images.size(), twice.boards.size(), twice.samples.size()),
              std::make_tuple(once.images.size(), once.boards.size(), once.samples.size()));
}

class MapDescriptionMistake : public ::testing::Test
{
  protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    // The error of reading `text` as a description, with the folder's path left out.
    std::string error_of(const std::string& text)
    {
        std::ofstream(dir / "d.txt", std::ios::binary) << text;
        Map_contents contents;
        std::string used, error;
        EXPECT_EQ(read_map_description((dir / "d.txt").string(), contents, used, error), -1);
        const std::string folder = (dir / "").string();
        return error.find(folder) == 0 ? error.substr(folder.size()) : error;
    }
    // The shipped description with `lines` after it.
    Map_contents shipped_with(const std::string& lines)
    {
        std::ofstream(dir / "d.txt") << "include " << fs::absolute(SHIPPED).string() << "\n" << lines;
        return contents_of((dir / "d.txt").string());
    }
    const fs::path dir = temp_path("description");
};

TEST_F(MapDescriptionMistake, EachIsNamedWithWhereItStands)
{
    std::string fifteen_rows, sixteen_fidgets;
    for (int r = 0; r < 15; ++r)
        fifteen_rows += std::string(LEVEL_COLS, 'x') + "\n";
    for (int i = 0; i < 16; ++i)
        sixteen_fidgets += "fidget 1\n";
    const struct {
        const char* what;
        std::string text, error;
    } rows[] = {
        {"unknown directive", "# remark\n\nfrobnicate 3\n", "d.txt:3: cannot make sense of 'frobnicate 3'"},
        {"too few words", "tile-size 4\n", "d.txt:1: cannot make sense of 'tile-size 4'"},
        {"colour of two characters", "colour ab 3\n", "d.txt:1: cannot make sense of 'colour ab 3'"},
        {"legend of two characters", "legend xy 1 0 0\n", "d.txt:1: cannot make sense of 'legend xy 1 0 0'"},
        {"tile size 0", "tile-size 0 4\n", "d.txt:1: tile sizes are 1 to 64 pixels"},
        {"tile height 65", "tile-size 4 65\n", "d.txt:1: tile sizes are 1 to 64 pixels"},
        {"tile width 65", "tile-size 65 4\n", "d.txt:1: tile sizes are 1 to 64 pixels"},
        {"image before its size", "image a\n", "d.txt:1: tile-size must come before the first image"},
        {"palette index 256", "colour x 256\n", "d.txt:1: a palette index is 0 to 255"},
        {"image row too long", "tile-size 2 1\ncolour x 3\nimage a\nxxx\nend\n",
         "d.txt:4: image rows are 2 characters"},
        {"image colour unknown", "tile-size 2 1\ncolour x 3\nimage a\nxy\nend\n", "d.txt:4: no colour for 'y'"},
        {"image rows too few", "tile-size 1 2\ncolour x 3\nimage a\nx\nend\n", "d.txt:5: image a needs 2 rows"},
        {"image without end", "tile-size 1 1\ncolour x 3\nimage a\nx\n", "d.txt:4: image a has no end line"},
        {"image twice", "tile-size 1 1\ncolour x 3\nimage a\nx\nend\nimage a\nx\nend\n",
         "d.txt:8: image a is defined twice"},
        {"tile code 4096", "tile 4096 a\n", "d.txt:1: tile codes are 0 to 4095"},
        {"tile code not a number", "tile 4x a\n", "d.txt:1: tile codes are 0 to 4095"},
        {"player code 4096", "player 1 2 3 4 5 6 4096\n", "d.txt:1: tile codes are 0 to 4095"},
        {"sound id 256", "level-sounds 1 2 256\n", "d.txt:1: a sound id is 0 to 255"},
        {"sixteen fidget sequences", sixteen_fidgets, "d.txt:16: at most 15 sequences"},
        {"a fidget sequence of twenty codes", "fidget 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20\n",
         "d.txt:1: a sequence holds at most 19 tile codes"},
        {"unknown occasion", "occasion sneeze 3\n", "d.txt:1: no occasion sneeze"},
        {"occasion sound 256", "occasion step 256\n", "d.txt:1: a sound id is 0 to 255"},
        {"unknown board's sounds", "board-sounds nowhere 1 2 3 4\n", "d.txt:1: no special board nowhere"},
        {"unknown board", "board nowhere\n", "d.txt:1: no special board nowhere"},
        {"unknown board's picture", "picture nowhere a.png\n", "d.txt:1: no special board nowhere"},
        {"legend tile too large", "legend x 4096 0 0\n", "d.txt:1: legend C TILE CONTENT FLOOR"},
        {"level-tiles code 4096", "level-tiles 1 2 3 4 5 6 4096\n",
         "d.txt:1: level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED"},
        {"level-tiles level 0", "level-tiles 0 2 3 4 5 6 7\n",
         "d.txt:1: level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED"},
        {"level-tiles level 51", "level-tiles 1 51 3 4 5 6 7\n",
         "d.txt:1: level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED"},
        {"legend content too large", "legend x 1 256 0\n", "d.txt:1: legend C TILE CONTENT FLOOR"},
        {"legend floor too large", "legend x 1 0 256\n", "d.txt:1: legend C TILE CONTENT FLOOR"},
        {"board row short", "legend x 1 0 0\nboard title\nxx\n", "d.txt:3: board rows are 20 characters"},
        {"board with a word more", "board title tall\n", "d.txt:1: cannot make sense of 'board title tall'"},
        {"board of 15 rows", "legend x 1 0 0\nboard title\n" + fifteen_rows + "end\n", "d.txt:18: a board has 16 rows"},
        {"missing include", "include gone.txt\n", "gone.txt:0: cannot open the file"},
        {"sample with a word more", "sample step a.wav b\n", "d.txt:1: cannot make sense of 'sample step a.wav b'"},
        {"missing sample", "sample step gone.wav\n",
         "d.txt:1: " + (dir / "gone.wav").string() + ": cannot open the file"},
        {"empty description", "", "d.txt: no image"},
        {"no player line", "tile-size 1 1\ncolour x 3\nimage a\nx\nend\n", "d.txt: no player line"},
        {"speech naming no sample", "include " + fs::absolute(SHIPPED).string() + "\nspeech nothing\n",
         "d.txt: speech names no sample nothing"},
        {"one fidget sequence", "tile-size 1 1\ncolour x 3\nimage a\nx\nend\nplayer 1 2 3 4 5 6 7\nfidget 1\n",
         "d.txt: the idle animation needs at least two fidget sequences"},
        {"no screens", "tile-size 1 1\ncolour x 3\nimage a\nx\nend\nplayer 1 2 3 4 5 6 7\nfidget 1\nfidget 2\n",
         "d.txt: no board title"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(error_of(r.text), r.error);
    }
}

// A picture is the board's 16 rows of 20 cells, a character a pixel in the
// description's colours; blank lines and CR LF line ends are passed over.
TEST_F(MapDescriptionMistake, APictureOfAnyOtherShapeIsRefused)
{
    const std::string row(LEVEL_COLS, 'x'), picture = (dir / "p.txt").string();
    std::string fifteen;
    for (int r = 0; r < 15; ++r)
        fifteen += row + "\r\n\n";
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"a row a cell short", row.substr(1) + "\n", ":1: a picture is 16 rows of 20 characters"},
        {"a seventeenth row", fifteen + row + "\r\n" + row + "\n", ":17: a picture is 16 rows of 20 characters"},
        {"a colour never given", "y" + row.substr(1) + "\n", ":1: no colour for 'y'"},
        {"fifteen rows", fifteen, ": a picture has 16 rows"},
    };
    for (const auto& [what, text, error] : rows) {
        std::ofstream(picture, std::ios::binary) << text;
        EXPECT_EQ(error_of("tile-size 1 1\ncolour x 3\npicture title p.txt\n"), "d.txt:3: " + picture + error) << what;
    }
}

// Every directive with the words it takes; after "..." any number may follow.
TEST_F(MapDescriptionMistake, ALineWithAWordTooFewOrTooManyMakesNoSense)
{
    const std::string lines[] = {"include i.txt",
                                 "levels a.zrp ...",
                                 "level-sounds 1 2 3",
                                 "tile-size 4 4",
                                 "cpyr ...",
                                 "prog ...",
                                 "arts ...",
                                 "colour x 3",
                                 "image a",
                                 "tile 1 a",
                                 "player 1 2 3 4 5 6 7",
                                 "fidget 1 ...",
                                 "sample step a.wav",
                                 "speech step",
                                 "occasion step 3",
                                 "legend x 1 0 0",
                                 "level-tiles 1 1 2 3 4 5 6",
                                 "picture title p.txt",
                                 "board title",
                                 "board-sounds title 1 2 3 4"};
    for (std::string line : lines) {
        const bool open_ended = line.size() > 4 && line.compare(line.size() - 4, 4, " ...") == 0;
        if (open_ended) line.resize(line.size() - 4);
        std::vector<std::string> wrong;
        if (line.find(' ') != std::string::npos) wrong.push_back(line.substr(0, line.rfind(' ')));
        if (!open_ended) wrong.push_back(line + " 9");
        for (const std::string& w : wrong)
            EXPECT_EQ(error_of(w + "\n"), "d.txt:1: cannot make sense of '" + w + "'");
    }
}

// A text's \n is a line break, at its end too.
// The description names the file; the map keeps what the file's data chunk
// holds, 8-bit samples turned from unsigned to signed.
TEST(MapDescription, ASampleHoldsItsFilesSoundData)
{
    const Map_contents contents = contents_of(SHIPPED);
    std::ifstream in("assets/map/sounds/step.wav", std::ios::binary);
    const std::vector<uint8_t> wav{std::istreambuf_iterator<char>(in), {}};
    const char id[] = "data";
    const auto chunk = std::search(wav.begin(), wav.end(), id, id + 4);
    ASSERT_NE(chunk, wav.end());
    const size_t length = chunk[4] | chunk[5] << 8 | chunk[6] << 16 | chunk[7] << 24;
    std::vector<uint8_t> signed_data(chunk + 8, chunk + 8 + static_cast<long>(length));
    for (uint8_t& b : signed_data)
        b ^= 0x80;
    const Map_sample& step = contents.samples.at(0);
    EXPECT_THAT(std::make_tuple(step.bits, step.second_word, step.data), testing::FieldsAre(8, 0, signed_data));
}

// Little-endian fields and RIFF chunks, written out by hand.
std::string le(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}
std::string riff_chunk(const char* id, const std::string& body, uint32_t claimed = UINT32_MAX)
{
    const std::string pad(body.size() % 2, '\0');
    return id + le(claimed == UINT32_MAX ? static_cast<uint32_t>(body.size()) : claimed, 4) + body + pad;
}
std::string wav_format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    return riff_chunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * bits / 8, 4) + le(bits / 8, 2) +
                                  le(bits, 2));
}
std::string wav_file(const std::string& chunks)
{
    return "RIFF" + le(static_cast<uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

TEST_F(MapDescriptionMistake, AWavFileTheMapCannotUseIsRefusedWithItsReason)
{
    const std::string data = riff_chunk("data", "abcd");
    const struct {
        const char* reason;
        std::string bytes;
    } cases[] = {
        {"not a WAV file", "RIFF" + le(4, 4) + "WAVX"},
        {"not a WAV file", "RIFF" + le(4, 4) + "WAV"},
        {"a chunk runs past the end of the file", wav_file(riff_chunk("LIST", "ab", 3))},
        {"only PCM samples are used", wav_file(wav_format(3, 1, 11025, 8) + data)},
        {"data before the format", wav_file(data + wav_format(1, 1, 11025, 8))},
        {"samples must be mono", wav_file(wav_format(1, 2, 11025, 8) + data)},
        {"samples are 8 or 16 bits", wav_file(wav_format(1, 1, 11025, 12) + data)},
        {"the rate does not fit 16 bits", wav_file(wav_format(1, 1, 65536, 8) + data)},
        {"the rate does not fit 16 bits", wav_file(wav_format(1, 1, 0, 8) + data)},
        {"no sample data", wav_file(wav_format(1, 1, 11025, 8))},
    };
    const std::string path = (dir / "s.wav").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        std::ofstream(path, std::ios::binary) << c.bytes;
        Map_sample sample;
        std::string error;
        EXPECT_EQ(read_wav_sample(path, sample, error), -1);
        EXPECT_EQ(error, path + ": " + c.reason);
    }
}

// The sound table's count is one byte: the shipped map's samples and more,
// up to 255 in all.
TEST_F(MapDescriptionMistake, AMapHoldsAtMost255Samples)
{
    std::ofstream(dir / "x.wav", std::ios::binary) << wav_file(wav_format(1, 1, 11025, 8) + riff_chunk("data", "ab"));
    const auto more_samples = [](int count) {
        std::string lines;
        for (int i = 0; i < count; ++i)
            lines += "sample extra" + std::to_string(i) + " x.wav\n";
        return lines;
    };
    const size_t shipped = shipped_with("").samples.size();
    EXPECT_EQ(shipped_with(more_samples(255 - static_cast<int>(shipped))).samples.size(), 255u);
    EXPECT_EQ(
        error_of("include " + fs::absolute(SHIPPED).string() + "\n" + more_samples(256 - static_cast<int>(shipped))),
        "d.txt: at most 255 samples");
}

// An odd chunk before the format is padded to an even length; 16-bit data of
// an odd length loses its last byte.
TEST_F(MapDescriptionMistake, OddLengthsInAWavFileAreEvenedOut)
{
    const std::string path = (dir / "s.wav").string();
    std::ofstream(path, std::ios::binary)
        << wav_file(riff_chunk("LIST", "abc") + wav_format(1, 1, 22050, 16) + riff_chunk("data", "wxyz!"));
    Map_sample sample;
    std::string error;
    ASSERT_EQ(read_wav_sample(path, sample, error), 0) << error;
    EXPECT_THAT(std::make_tuple(sample.rate, sample.bits, std::string(sample.data.begin(), sample.data.end())),
                testing::FieldsAre(22050, 16, "wxyz"));
}

using MapDescriptionText = MapDescriptionMistake;

TEST_F(MapDescriptionText, TextsTakeTheLineBreakEscape)
{
    EXPECT_EQ(shipped_with("prog By us\\nat home\\n\n").prog, "By us\nat home\n");
}

// level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED gives levels their
// look, a later line over the shipped one: level 1 is "#@-$-.#" in row 8
// from column 6, and what lies outside its walls keeps the blank board's
// scenery.
TEST_F(MapDescriptionText, ALevelsLookTilesItsLayout)
{
    const Field_info plain = shipped_with("").boards.at(0);
    const Field_info level_1 = shipped_with("level-tiles 1 1 0 30 1 102 103\n").boards.at(0);
    auto tile = [&](int row, int column) { return level_1.cells[row * LEVEL_COLS + column].tile; };
    EXPECT_THAT(std::make_tuple(tile(8, 6), tile(8, 8), tile(8, 9), tile(8, 11), tile(0, 0)),
                testing::FieldsAre(0, 30, 102, 1, plain.cells[0].tile));
}

TEST_F(MapDescriptionText, ACreditMayBeEmpty)
{
    EXPECT_EQ(shipped_with("arts\n").arts, "");
}

TEST_F(MapDescriptionText, SoundIdsRunFromZero)
{
    const Field_info level_1 = shipped_with("level-sounds 0 0 0\n").boards.at(0);
    EXPECT_THAT(std::make_tuple(level_1.start_sound, level_1.banked_sound, level_1.solved_sound),
                testing::FieldsAre(0, 0, 0));
}

TEST_F(MapDescriptionText, SilentSpeechHasNoSample)
{
    const std::vector<Speech_item> items = shipped_with("speech silent\nspeech bravo\n").speech_items;
    EXPECT_THAT(std::make_tuple(items.at(16).flags, items.at(16).sample, items.at(17).flags, items.at(17).sample),
                testing::FieldsAre(0, 0, 1, 14)); // bravo is the 15th sample
}

// A screen drawn in legend characters after its picture: the rows win, each
// cell as its character's legend line gives it.
TEST_F(MapDescriptionText, ABoardsRowsTakeTheirLegend)
{
    std::string rows = "board title\n" + std::string(20, 'f') + "\n";
    for (int r = 1; r < LEVEL_ROWS; ++r)
        rows += std::string(20, 'w') + "\n";
    const Field_info title = shipped_with("legend w 7 255 255\nlegend f 1 2 3\n" + rows + "end\n").boards.at(50);
    const Field_cell floor = title.cells[0], wall = title.cells[LEVEL_COLS];
    EXPECT_THAT(
        std::make_tuple(title.number, floor.tile, floor.content, floor.floor, wall.tile, wall.content, wall.floor),
        testing::FieldsAre(-1, 1, 2, 3, 7, 255, 255));
}

// Each occasion's sound goes to the speech byte the game plays for it.
// A legend character whose content is the player (0) puts the screen's
// player there, here in row 2, column 5.
// Screens drawn in legend rows alone, with no picture, make a whole map.
TEST_F(MapDescriptionText, ScreensDrawnInRowsAloneMakeAMap)
{
    const fs::path assets = fs::absolute(SHIPPED).parent_path();
    std::string text = "include " + (assets / "palette.txt").string() + "\ninclude " + (assets / "tiles.txt").string() +
                       "\nlevels " + (assets / "../levels/builtin.zrp").string() +
                       "\nplayer 5 6 8 7 10 9 11\nfidget 12 5\nfidget 13 5\nlegend x 1 0 0\n";
    for (const char* screen : {"title", "help", "blank", "finale", "about"}) {
        text += std::string("board ") + screen + "\n";
        for (int r = 0; r < LEVEL_ROWS; ++r)
            text += std::string(LEVEL_COLS, 'x') + "\n";
        text += "end\n";
    }
    std::ofstream(dir / "d.txt") << text;
    EXPECT_EQ(contents_of((dir / "d.txt").string()).boards.size(), 55u);
}

TEST_F(MapDescriptionText, ABoardsPlayerStandsWhereItsRowsDrawIt)
{
    std::string rows = "board title\n";
    for (int r = 0; r < LEVEL_ROWS; ++r)
        rows += (r == 2 ? "wwwwwp" + std::string(14, 'w') : std::string(20, 'w')) + "\n";
    const Field_info title = shipped_with("legend w 7 255 255\nlegend p 5 0 2\n" + rows + "end\n").boards.at(50);
    EXPECT_THAT(std::make_tuple(title.start_x, title.start_y, title.player_x, title.player_y),
                testing::FieldsAre(5, 2, 5, 2));
}

// Treasures (content 4) on the floor (2) and on a bank (3), as a screen's rows draw them.
TEST_F(MapDescriptionText, ABoardCountsTheTreasuresItsRowsDraw)
{
    std::string rows = "board title\n";
    for (int r = 0; r < LEVEL_ROWS; ++r)
        rows += (r == 3 ? "wwtwtwbw" + std::string(12, 'w') : std::string(20, 'w')) + "\n";
    const Field_info title =
        shipped_with("legend w 7 255 255\nlegend t 15 4 2\nlegend b 16 4 3\n" + rows + "end\n").boards.at(50);
    EXPECT_THAT(std::make_tuple(title.treasures, title.loose, title.banked_at_start, title.banked),
                testing::FieldsAre(3, 2, 1, 1));
}

TEST_F(MapDescriptionText, EachOccasionNamesItsOwnSpeechByte)
{
    const std::pair<const char*, uint8_t> occasions[] = {{"step", 8},        {"push", 9},     {"corner", 10},
                                                         {"undo", 11},       {"refused", 14}, {"first-level", 15},
                                                         {"leave-title", 13}};
    for (const auto& [name, byte] : occasions) {
        SCOPED_TRACE(name);
        const Map_contents contents = shipped_with("occasion " + std::string(name) + " 200\n");
        EXPECT_EQ(speech_info_id(contents.speech_info, byte), 200);
    }
}

// The shipped description has seven sequences; the eighth is the longest there can be.
TEST_F(MapDescriptionText, ASequenceHoldsNineteenCodes)
{
    std::string line = "fidget";
    for (int code = 1; code <= 19; ++code)
        line += " " + std::to_string(code);
    const Map_contents contents = shipped_with(line + "\n");
    const uint16_t* eighth = contents.fidget.sequences[7];
    EXPECT_THAT(std::vector<uint16_t>(eighth + 17, eighth + 20), testing::ElementsAre(18, 19, FIDGET_END));
}

// A tile code takes its place in the table; stand_left is the second image.
TEST_F(MapDescriptionText, ATileCodeNamesItsImageInTheTable)
{
    EXPECT_EQ(shipped_with("tile 1000 stand_left\n").tile_table.at(1000), 1);
}

// Any code up to 4095 is read, so it is the missing image that is named.
TEST_F(MapDescriptionMistake, ALevelRangesTileWithoutAnImageIsNamed)
{
    const std::string shipped = fs::absolute(SHIPPED).string();
    EXPECT_THAT(error_of("include " + shipped + "\nlevel-tiles 1 1 4000 1 4 100 101\n"),
                testing::EndsWith("level-tiles names tile 4000, which has no image"));
}

TEST_F(MapDescriptionMistake, ATileNamingNoImageIsNamed)
{
    EXPECT_EQ(error_of("include " + fs::absolute(SHIPPED).string() + "\ntile 4095 nothing\n"),
              "d.txt: tile 4095 names no image nothing");
}

// d.txt and i1 to i7 are eight files deep.
TEST_F(MapDescriptionMistake, DescriptionFilesNestEightDeepAtMost)
{
    for (int depth = 1; depth <= 6; ++depth)
        std::ofstream(dir / ("i" + std::to_string(depth) + ".txt")) << "include i" << depth + 1 << ".txt\n";
    std::ofstream(dir / "i7.txt") << "";
    EXPECT_EQ(error_of("include i1.txt\n"), "d.txt: no image");
    std::ofstream(dir / "i7.txt") << "include i8.txt\n";
    EXPECT_EQ(error_of("include i1.txt\n"), "i8.txt:0: includes nest too deep");
}

TEST_F(MapDescriptionMistake, ALevelsPackTooSmallIsNamed)
{
    std::ofstream(dir / "small.zrp") << "Zandrek Pack\nLevel:\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    const std::string shipped = fs::absolute(SHIPPED).string();
    EXPECT_THAT(error_of("include " + shipped + "\nlevels gone.zrp small.zrp\n"),
                testing::EndsWith(":\n  " + (dir / "gone.zrp").string() + ": no such file\n  " +
                                  (dir / "small.zrp").string() + ": holds 1 levels, 50 are needed"));
}

} // namespace
