// Level packs: the header, the records between which stray lines are
// ignored, the level, tile and sound records, and the line rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "files/level_reader.h"
#include "files/line_io.h"
#include "files/pack_reader.h"
#include "files/pack_records.h"
#include "files/tile_sound_reader.h"
#include "map_fixture.h"

namespace
{

using Ints = std::vector<int>;
const std::string HEAD = "Zandrek Pack\n";
const std::string LEVEL = "Level:\nLayout:\n#@$.#\nend\nend\n";

std::unique_ptr<Pack_info> read_text(const std::string& text, Pack_diagnostic* d = nullptr)
{
    return read_pack_bytes(text.data(), text.size(), d);
}

// One record from the text after its keyword line: 0 or 1 as the reader says.
template <typename Record> int read_record(Record& record, const std::string& text)
{
    Line_source source;
    open_line_source(source, text.data(), text.size());
    if constexpr (std::is_same_v<Record, Pack_tile>)
        return read_tile(record, source);
    else if constexpr (std::is_same_v<Record, Pack_sound>)
        return read_sound(record, source);
    else
        return read_level(record, source);
}

std::string row(const Level_info& level, int r)
{
    return std::string(level.layout[r], LEVEL_COLS);
}

std::string pad(const std::string& row)
{
    return row + std::string(LEVEL_COLS - row.size(), ' ');
}

TEST(PackReader, UnreadablePacksNameTheRecordAndLine)
{
    const std::string two = HEAD + LEVEL;
    std::vector<std::tuple<std::string, std::string, std::string, int, int>> failures = {
        {HEAD + "Name: Empty\n", "file", "the pack holds no level", 0, 2},
        {two + "Level:\nLayout:\n#@$.#\nend\nend", "Level 2", "the file ends before the level's end line", 7, 11},
        {two + "Level:\nLayout:\n#@$.#\n", "Level 2", "the file ends inside a Layout block", 7, 9},
        {two + "Level:\nSolution:\n>\n", "Level 2", "the file ends inside a Solution block", 7, 9},
        {two + "Level:\nAbout:\nx\n", "Level 2", "the file ends inside an About block", 7, 9},
        {two + "Tile:\nWidth: 1\n", "Tile", "the file ends before the tile's end line", 7, 8},
        {two + "Tile:\nImagery:\n1\n", "Tile", "the file ends inside an Imagery block", 7, 9},
        {two + "BigTile:\nName: x\n", "BigTile", "the file ends before the tile's end line", 7, 8},
        {two + "Sound:\nSpeed: 1\n", "Sound", "the file ends before the sound's end line", 7, 8},
        {two + "Sound:\nData:\n", "Sound", "the file ends inside a Data block", 7, 8},
        {two + "About:\ntext\n", "About", "the file ends inside an About block", 7, 8},
        {two + "Tile:\nWidth: none\nend\n", "Tile", "a size line holds no number", 7, 8},
        {two + "Sound:\nNumSamples:\nend\n", "Sound", "a size line holds no number", 7, 8},
    };
    for (const std::string& header : {"Zandrek Pack \n" + LEVEL, " Zandrek Pack\n" + LEVEL, "Zandrek pack\n" + LEVEL,
                                      "Zandrek Pack\r\r\n" + LEVEL, std::string("Zandrek\0Pack\n", 13) + LEVEL,
                                      std::string(100, 'Z') + LEVEL, std::string("Zandrek Pack"), std::string()})
        failures.emplace_back(header, "header", "the first line is not \"Zandrek Pack\"", 1, 1);
    for (const auto& [text, record, reason, record_line, line] : failures) {
        Pack_diagnostic d;
        EXPECT_EQ(read_text(text, &d), nullptr) << text;
        EXPECT_EQ(std::tie(d.record, d.reason, d.record_line, d.line), std::tie(record, reason, record_line, line))
            << text;
        Pack_info pack; // the records alone fail the same way
        Line_source source;
        open_line_source(source, text.data() + HEAD.size(), text.size() - HEAD.size());
        EXPECT_TRUE(record == "header" || read_pack_records(pack, source) == 1) << text;
    }
    EXPECT_EQ(describe_pack_failure("p.zrp", Pack_diagnostic{"Sound", 7, 8, "why"}),
              "p.zrp: line 8: why (Sound starting at line 7)");
    EXPECT_EQ(describe_pack_failure("p.zrp", Pack_diagnostic{"file", 0, 0, "why"}), "p.zrp: why");
    EXPECT_EQ(describe_pack_failure("p.zrp", Pack_diagnostic{"header", 1, 1, "why"}),
              "p.zrp: line 1: why (header starting at line 1)");
}

TEST(PackReader, RecordsInFileOrderStrayLinesIgnored)
{
    const std::string tile = "Tile:\nName: a\nWidth: 1\nend\n", big = "BigTile:\nName: a\nWidth: 3\nend\n";
    auto pack = read_text(HEAD + "Name: First\n\n Level:\nLevels of fun\nlevel: lower case\nend\nremark\n" + tile +
                          big + LEVEL + "About:\nPack text\nendnote\n" + "Tile:\nName: a\nWidth: 2\nend\n" + LEVEL +
                          "Name: " + std::string(100, 'p') + "\nBigTile:\nName: a\nWidth: 4\nend\n" +
                          "About:\nMore\nend\nSound:\nName: s\nend\n" + LEVEL + "Sound:\nName: s\nSpeed: 5\nend\n");
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(std::string(pack->name), std::string(79, 'p'));
    for (const char* header : {"Zandrek Pack\n", "Zandrek Pack\r\n"}) { // the smallest packs
        auto small = read_text(header + LEVEL);
        ASSERT_NE(small, nullptr) << header;
        EXPECT_EQ(std::string(small->name) + small->levels->name, "UntitledUntitiled");
        EXPECT_EQ(Ints({small->num_levels, small->highest_level, small->levels->number}), Ints({1, 1, 1}));
    }
    Ints numbers, widths; // BigTiles first, the latest first; Tiles after in file order
    for (Level_info* l = pack->levels.get(); l; l = l->next.get())
        numbers.push_back(l->number);
    EXPECT_EQ(numbers, Ints({1, 2, 3}));
    EXPECT_EQ(pack->num_levels, 3);
    EXPECT_EQ(pack->about->text + pack->about->next->text, "Pack text\nMore\n");
    for (Pack_tile* t = pack->tiles.get(); t; t = t->next.get())
        widths.push_back(t->width);
    EXPECT_EQ(widths, Ints({4, 3, 1, 2}));
    EXPECT_EQ(find_pack_tile(*pack, "a")->width, 4);
    EXPECT_EQ(find_pack_tile(*pack, "Untitle"), nullptr);
    EXPECT_EQ(find_pack_sound(*pack, "s")->speed, 0); // sounds in file order, the first wins
    EXPECT_EQ(pack->sounds->next->speed, 5);
    EXPECT_EQ(Ints({pack_level(*pack, 0)->number, pack_level(*pack, 2)->number, pack_level(*pack, 99)->number}),
              Ints({1, 2, 3}));
    EXPECT_EQ(read_text(HEAD + big + tile + tile + LEVEL)->tiles->next->next->next, nullptr);
    Line_source more; // records read into a pack continue its numbering
    open_line_source(more, LEVEL.data(), LEVEL.size());
    ASSERT_EQ(read_pack_records(*pack, more), 0);
    EXPECT_EQ(pack_level(*pack, 4)->number, 4);

    // Between records lines come in 127-character pieces: here the second
    // piece starts with "Level:" and opens a level; at 126 it would not.
    EXPECT_NE(read_text(HEAD + std::string(127, '-') + LEVEL), nullptr);
    EXPECT_EQ(read_text(HEAD + std::string(126, '-') + LEVEL), nullptr);
}

TEST(PackReader, NamesResolveOnceAndUnnamedTilesServeUnnamedReferences)
{
    auto pack =
        read_text(HEAD + "Tile:\nWidth: 1\nHeight: 1\nImagery:\n7\nend\nend\nSound:\nName: ding\nend\n" + LEVEL);
    ASSERT_NE(pack, nullptr);
    Level_info& level = *pack->levels;
    for (Tile_ref* ref :
         {&level.treasure_tile, &level.bank_treasure_tile, &level.wall_tile, &level.floor_tile, &level.bank_tile})
        EXPECT_EQ(resolve_tile(*pack, *ref), pack->tiles.get());
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), nullptr); // no sound is named "Untitled"
    std::snprintf(level.start_sound.name, NAME_CAPACITY, "ding");
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), pack->sounds.get());
    std::snprintf(level.start_sound.name, NAME_CAPACITY, "gone"); // resolved once: the name no longer matters
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), pack->sounds.get());
}

TEST(PackReader, FilesAreReadAsBytesAndAppendedInOrder)
{
    Game_state state;
    offscreen_reset();
    std::vector<std::string> files;
    std::string big = HEAD;
    for (int i = 0; i < 3000; ++i) // across the reader's buffer boundaries
        big += "Level:\nName: Level " + std::to_string(i + 1) + "\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    for (const std::string& text :
         {std::string("Zandrek Pack\r\nName: Alpha\r\nLevel:\r\nLayout:\r\n#@$.#\r\nend\r\nend\r\n"),
          std::string("not a pack\n"), big}) {
        files.push_back(temp_path("pack.zrp"));
        write_bytes(files.back(), std::vector<uint8_t>(text.begin(), text.end()));
    }
    EXPECT_EQ(read_pack(state, files[0].c_str()), 0);
    EXPECT_EQ(read_pack(state, files[1].c_str()), 1);
    EXPECT_TRUE(offscreen().calls.empty()); // an unreadable pack is left out without a word
    Pack_diagnostic d;
    EXPECT_EQ(read_pack(state, (files[0] + ".missing").c_str(), &d), 1);
    EXPECT_EQ(d.reason, "the file cannot be opened");
    EXPECT_EQ(read_pack(state, files[2].c_str()), 0);
    for (const std::string& f : files)
        std::remove(f.c_str());
    EXPECT_STREQ(state.packs->name, "Alpha");
    EXPECT_EQ(std::string(state.packs->levels->layout[0], 5), "#@$.#");
    Pack_info& second = *state.packs->next;
    EXPECT_EQ(Ints({state.packs->number, second.number, second.num_levels}), Ints({1, 2, 3000}));
    EXPECT_EQ(second.next, nullptr);
    int whole = 0, n = 0; // lines that cross a buffer's end read like any other
    for (Level_info* l = second.levels.get(); l; l = l->next.get()) {
        std::string rows = row(*l, 0) + row(*l, 1) + row(*l, 2) + row(*l, 3);
        whole +=
            l->name == "Level " + std::to_string(++n) && rows == pad("#####") + pad("#@$.#") + pad("#####") + pad("");
    }
    EXPECT_EQ(whole, 3000);
    EXPECT_EQ(nth_pack(state.packs.get(), 1), state.packs.get());
    EXPECT_EQ(nth_pack(state.packs.get(), 2), &second);
    EXPECT_EQ(nth_pack(state.packs.get(), 3), nullptr);
    EXPECT_EQ(nth_pack(state.packs.get(), 0), nullptr);
}

TEST(LevelReader, LayoutLegendCountsAndStart)
{
    Level_info l;
    ASSERT_EQ(read_record(l, "Layout:\n"
                             "  ####\n"
                             "#-.$*@+#\tAb\xC3\x80\n"
                             "#########################\n"
                             "end \n" // a row, not the end of the block
                             "#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n" // rows past the sixteenth go
                             "end\nend\n"),
              0);
    EXPECT_EQ(row(l, 0), pad("  ####"));
    EXPECT_EQ(row(l, 1), pad("#-.$*@+#")); // tab, letters and bytes above 127 become spaces
    EXPECT_EQ(row(l, 2), std::string(LEVEL_COLS, '#'));
    EXPECT_EQ(row(l, 3), std::string(LEVEL_COLS, ' '));
    EXPECT_EQ(row(l, 15), pad("#$"));
    // Of two starts the later in reading order counts.
    EXPECT_EQ(Ints({l.loose_treasures, l.banked_treasures, l.num_treasures, l.start_x, l.start_y}),
              Ints({13, 1, 14, 6, 1}));
}

TEST(LevelReader, NamesWordsAndBlocks)
{
    Level_info l;
    ASSERT_EQ(read_record(l, "Name: Twin Rooms \nWall:\nFloor: brick stone\n Bank: hidden\nTreasure:\tgold\n"
                             "BankTreasure: chest\nBank: mark\nStart: hello\nBanked: clink\nSolved: fanfare\n"
                             "Wall:slate\nSolution:\n>>\nendnote\nend\nSolution:\n<\n^^\nend\n"
                             "About:\none\nend\nAbout:\ntwo\n\nlines\nend\nAbout:\nthree\nend\nend\n"),
              0);
    EXPECT_STREQ(l.name, "Twin Rooms ");
    EXPECT_STREQ(l.wall_tile.name, "Untitled"); // no second word, and "Wall:slate" is one word
    const char* words[] = {l.floor_tile.name,  l.bank_tile.name,    l.treasure_tile.name, l.bank_treasure_tile.name,
                           l.start_sound.name, l.banked_sound.name, l.solved_sound.name};
    const char* expected[] = {"brick", "mark", "gold", "chest", "hello", "clink", "fanfare"};
    for (int i = 0; i < 7; ++i)
        EXPECT_STREQ(words[i], expected[i]);
    EXPECT_TRUE(l.has_solution);
    EXPECT_EQ(l.solution, "<^^"); // the last block counts; "endnote" does not end it
    std::string texts;
    for (const Text_block* b = l.about.get(); b; b = b->next.get())
        texts += "[" + b->text + "]";
    EXPECT_EQ(texts, "[one\n][two\n\nlines\n][three\n]");

    // The name and the wall tile's name each line leaves.
    const std::pair<std::string, std::string> names[] = {
        {"Name:X-Ray\nend\n", "-Ray|Untitled"},
        {"Name:\nend\n", "|Untitled"},
        {"Name: one\nName: two\nend\n", "two|Untitled"},
        {"Name: A\nendless\nName: B\n", "A|Untitled"}, // any line starting with end ends the level
        {"Name: " + std::string(200, 'n') + "\nend\n", std::string(79, 'n') + "|Untitled"},
        {"Name: A\n" + std::string(255, 'x') + "end of it\nName: B\nend\n", "A|Untitled"}, // pieces of 255
        {std::string("Name: A\0B\nend\n", 14), "A|Untitled"},
        {"Wall: " + std::string(200, 'w') + "\nend\n", "Untitiled|" + std::string(79, 'w')},
    };
    for (const auto& [text, expected] : names) {
        Level_info n;
        read_record(n, text);
        EXPECT_EQ(std::string(n.name) + "|" + n.wall_tile.name, expected) << text;
    }
    Level_info nul, crlf, plain;
    read_record(nul, std::string("Layout:\n#@\0$.#\nend\0junk\nend\nend\n", 30));
    EXPECT_EQ(row(nul, 0), pad("#@"));
    EXPECT_EQ(nul.num_treasures, 0);
    read_record(crlf, "Name: Same\r\nLayout:\r\n#@$.#\r\nend\r\nSolution:\r\n>\r\nend\r\nend\r\n");
    EXPECT_STREQ(crlf.name, "Same");
    EXPECT_EQ(row(crlf, 0), pad("#@$.#"));
    EXPECT_EQ(crlf.solution, ">");
    read_record(plain, "Layout:\n#\nend\nend\n");
    EXPECT_FALSE(plain.has_solution);
    EXPECT_EQ(plain.about, nullptr);
    Line_source wide; // no piece is longer than the reader's own line buffer
    const std::string long_line(300, 'x');
    open_line_source(wide, long_line.data(), long_line.size());
    EXPECT_EQ(read_line(wide, 1000).size(), RECORD_LINE_LIMIT);
    // A file that ends inside a block, or before the level's end, fails it.
    for (const char* cut : {"Layout:\n#\n", "Solution:\n>\n", "About:\nx\n", "Name: x\n"}) {
        Level_info level;
        Text_block block;
        Line_source source;
        open_line_source(source, cut + 7, std::strlen(cut + 7));
        EXPECT_EQ(read_record(level, cut) * 2 + read_text_block(block, source), 3) << cut;
    }
}

TEST(TileReader, PixelsRowByRowWhateverTheFieldsHold)
{
    const std::tuple<const char*, int, int, std::vector<uint8_t>> cases[] = {
        {"Name: crate\nWidth:3\nHeight: 2\nImagery: ignored\n1 2 3\n  4\t5 6 7\n9 9 9\nend\nend\n",
         3,
         2,
         {1, 2, 3, 4, 5, 6}},
        {"Width: 6\nHeight: 3\nImagery:\n1 2 300 -4 x\n7,8 +9 255 256 -0\n\nend\nend\n",
         6,
         3,
         {1, 2, 0, 0, 0, 0, 7, 9, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, // "7,8" is one field
        {"Width: 2\nHeight: 2\nImagery:\n5 6 7\nend\nendtile\n", 2, 2, {5, 6, 0, 0}},
        {"Width: 3\nHeight: 1\nImagery:\n1\v2\f3\nend\nend\n", 3, 1, {1, 2, 3}},
        {"Width: 1\nHeight: 1\nImagery:\n99999999999\nend\nend\n", 1, 1, {0}},
        {"Width: 512\nHeight: 512\nImagery:\n3\nend\nend\n", 512, 512, {}}, // the largest picture kept
        // Pictures that do not fit their sizes are dropped.
        {"Imagery:\n1 2\nend\nWidth: 2\nHeight: 1\nend\n", 2, 1, {}},
        {"Width: 2\nHeight: 1\nImagery:\n1 2\nend\nWidth: 3\nend\n", 3, 1, {}},
        {"Width: 2000000000\nHeight: 2000000000\nImagery:\n1\nend\nend\n", 2000000000, 2000000000, {}},
        {"Width: 512\nHeight: 513\nImagery:\n1\nend\nend\n", 512, 513, {}},
        {"Width: -3\nHeight: 4\nImagery:\n1\nend\nend\n", -3, 4, {}},
        {"Width: 3\nHeight: 0\nImagery:\n1\nend\nend\n", 3, 0, {}},
        {"Width: 99999999999\nHeight: -99999999999\nend\n", 2147483647, -2147483647 - 1, {}},
    };
    for (const auto& [text, width, height, pixels] : cases) {
        Pack_tile tile;
        ASSERT_EQ(read_record(tile, text), 0) << text;
        EXPECT_EQ(Ints({tile.width, tile.height}), Ints({width, height})) << text;
        if (width == 512 && height == 512) {
            EXPECT_EQ(tile.pixels.size(), 512u * 512u);
            EXPECT_EQ(tile.pixels[0] + tile.pixels.back(), 3);
        } else {
            EXPECT_EQ(tile.pixels, pixels) << text;
        }
    }
    Pack_tile named;
    ASSERT_EQ(read_record(named, "Name: crate\nend\n"), 0);
    EXPECT_STREQ(named.name, "crate");
    for (const char* bad : {"Width:\nend\n", "Width: wide\nend\n", "Height: -\nend\n", "Width: 2\nImagery:\n5 6\nend\n",
                            "Width: 1\nHeight: 1\nImagery:\n5\nendless\nend", ""}) {
        Pack_tile tile;
        EXPECT_EQ(read_record(tile, bad), 1) << bad;
    }
}

TEST(SoundReader, SampleTextDigitsSignsAndLines)
{
    // line, sample size, capacity, samples
    const std::tuple<const char*, int, int, std::vector<int>> lines[] = {
        {"g h i j -", 16, 16, {0, 0, 1, -1, 15}},
        {"Ah Zy effh 9_", 16, 16, {16, -300, 32767, -14, -15}},
        {"A h", 16, 16, {16}}, // characters outside the alphabet change nothing
        {"ij", 8, 16, {256, -256}},
        {"effh", 8, 16, {static_cast<int16_t>(32767 * 256)}},
        {"iA", 16, 16, {1}}, // a number never continues on the next line
        {"ijij", 16, 3, {1, -1, 1}},
        {"AAAAAAAh", 16, 16, {0}}, // past 30 bits the digits are shifted out
        {"aiaj", 16, 16, {45, 61}},
    };
    for (const auto& [line, size, capacity, samples] : lines) {
        std::vector<int16_t> out(16, 0);
        int count = 0;
        decode_sample_line(line, size, out.data(), capacity, &count);
        EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + count), samples) << line;
    }

    const std::tuple<const char*, int, int, int, std::vector<int16_t>> cases[] = {
        {"Name: chime\nSpeed: 11025\nSampleSize: 8\nNumSamples: 3\nData: rest ignored\ni j g\ni i\nend\nend\n",
         11025,
         8,
         3,
         {256, -256, 0}},
        {"NumSamples: 4\nData:\niA\nhj\nend\nend\n", 0, 0, 4, {1, 0, -1, 0}},
        {"SampleSize: 12\nend\n", 0, 16, 0, {}}, // sizes other than 8 and 16 become 16
        {"SampleSize: 16\nSampleSize: 8\nend\n", 0, 8, 0, {}},
        {"Data:\niii\nend\nNumSamples: 3\nend\n", 0, 0, 3, {}}, // samples before their count are dropped
        {"NumSamples: 3\nData:\ni\nend\nend\n", 0, 0, 3, {1, 0, 0}},
        {"NumSamples: 3\nData:\ni\nend\nNumSamples: 2\nend\n", 0, 0, 2, {}},
        {"NumSamples: 4194304\nData:\ni\nend\nend\n", 0, 0, 4194304, {}},
        {"NumSamples: 4194305\nData:\ni\nend\nend\n", 0, 0, 4194305, {}},
        {"NumSamples: -2\nData:\ni\nend\nend\n", 0, 0, -2, {}},
    };
    for (const auto& [text, speed, size, count, samples] : cases) {
        Pack_sound sound;
        ASSERT_EQ(read_record(sound, text), 0) << text;
        EXPECT_EQ(Ints({sound.speed, sound.sample_size, sound.num_samples}), Ints({speed, size, count})) << text;
        if (count == 4194304)
            EXPECT_EQ(sound.samples.size(), 4194304u);
        else
            EXPECT_EQ(sound.samples, samples) << text;
    }
    Pack_sound named;
    ASSERT_EQ(read_record(named, "Name: chime\nend\n"), 0);
    EXPECT_STREQ(named.name, "chime");
    for (const char* bad : {"Speed: fast\nend\n", "SampleSize:\nend\n", "NumSamples: x\nend\n",
                            "NumSamples: 2\nData:\ni\n", "Name: x\n", "Data:\ni\nendless\nend"}) {
        Pack_sound sound;
        EXPECT_EQ(read_record(sound, bad), 1) << bad;
    }
}

} // namespace
