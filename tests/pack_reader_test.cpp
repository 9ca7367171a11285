// Level packs: the header, the records between which stray lines are
// ignored, the level record with its layout legend, and the line rules.
#include <gtest/gtest.h>

#include <cstdio>

#include "files/level_reader.h"
#include "files/line_io.h"
#include "files/pack_reader.h"
#include "files/pack_records.h"
#include "map_fixture.h"

namespace
{

const std::string HEAD = "Zandrek Pack\n";
const std::string LEVEL = "Level:\nLayout:\n#@$.#\nend\nend\n";

std::unique_ptr<Pack_info> read_text(const std::string& text, Pack_diagnostic* d = nullptr)
{
    return read_pack_bytes(text.data(), text.size(), d);
}

// One level record from the text after its Level: line.
struct Read {
    Level_info level;
    int result;
    explicit Read(const std::string& text)
    {
        Line_source source;
        open_line_source(source, text.data(), text.size());
        result = read_level(level, source);
    }
    std::string row(int r) const { return std::string(level.layout[r], LEVEL_COLS); }
};

std::string pad(const std::string& row)
{
    return row + std::string(LEVEL_COLS - row.size(), ' ');
}

TEST(PackReader, HeaderAndTheSmallestPack)
{
    for (const char* header : {"Zandrek Pack\n", "Zandrek Pack\r\n"}) {
        auto pack = read_text(header + LEVEL);
        ASSERT_NE(pack, nullptr) << header;
        EXPECT_STREQ(pack->name, "Untitled");
        EXPECT_EQ(pack->num_levels, 1);
        EXPECT_EQ(pack->highest_level, 1);
        EXPECT_STREQ(pack->levels->name, "Untitiled");
        EXPECT_EQ(pack->levels->number, 1);
    }
    for (const std::string& header :
         std::vector<std::string>{"Zandrek Pack \n", " Zandrek Pack\n", "Zandrek pack\n", "Zandrek Pack\r\r\n",
                                  "Zandrek Pack", "", std::string(100, 'Z')}) {
        Pack_diagnostic d;
        EXPECT_EQ(read_text(header + LEVEL, &d), nullptr) << header;
        EXPECT_EQ(d.record, "header");
        EXPECT_EQ(d.line, 1);
    }
    const char nul_header[] = "Zandrek\0Pack\nLevel:\nLayout:\n#\nend\nend\n";
    EXPECT_EQ(read_text(std::string(nul_header, sizeof nul_header - 1)), nullptr);
}

TEST(PackReader, UnreadablePacksNameTheRecordAndLine)
{
    struct Failure {
        std::string text, record, reason;
        int record_line, line;
    };
    const std::string two = HEAD + LEVEL;
    // clang-format off
    const Failure failures[] = {
        {HEAD + "Name: Empty\n", "file", "the pack holds no level", 0, 2},
        {two + "Level:\nLayout:\n#@$.#\nend\nend", "Level 2", "the file ends before the level's end line", 7, 11},
        {two + "Level:\nLayout:\n#@$.#\n", "Level 2", "the file ends inside a Layout block", 7, 9},
        {two + "Level:\nSolution:\n>\n", "Level 2", "the file ends inside a Solution block", 7, 9},
        {two + "Level:\nAbout:\nx\n", "Level 2", "the file ends inside an About block", 7, 9},
        {two + "Tile:\nWidth: 1\n", "Tile", "the file ends before the tile's end line", 7, 8},
        {two + "BigTile:\nName: x\n", "BigTile", "the file ends before the tile's end line", 7, 8},
        {two + "Sound:\nSpeed: 1\n", "Sound", "the file ends before the sound's end line", 7, 8},
        {two + "About:\ntext\n", "About", "the file ends inside an About block", 7, 8},
        {two + "Tile:\nWidth: none\nend\n", "Tile", "a size line holds no number", 7, 8},
        {two + "Sound:\nNumSamples:\nend\n", "Sound", "a size line holds no number", 7, 8},
    };
    // clang-format on
    for (const Failure& f : failures) {
        Pack_diagnostic d;
        EXPECT_EQ(read_text(f.text, &d), nullptr) << f.text;
        EXPECT_EQ(std::make_tuple(d.record, d.reason, d.record_line, d.line),
                  std::make_tuple(f.record, f.reason, f.record_line, f.line))
            << f.text;
    }
    EXPECT_EQ(describe_pack_failure("p.zrp", Pack_diagnostic{"Sound", 7, 8, "why"}),
              "p.zrp: line 8: why (Sound starting at line 7)");
    EXPECT_EQ(describe_pack_failure("p.zrp", Pack_diagnostic{"file", 0, 0, "why"}), "p.zrp: why");
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
    EXPECT_EQ(pack->num_levels, 3);
    int expected = 1;
    for (Level_info* l = pack->levels.get(); l; l = l->next.get())
        EXPECT_EQ(l->number, expected++);
    EXPECT_EQ(pack->about->text + pack->about->next->text, "Pack text\nMore\n");
    std::vector<int> widths; // BigTiles first, the latest first; Tiles after in file order
    for (Pack_tile* t = pack->tiles.get(); t; t = t->next.get())
        widths.push_back(t->width);
    EXPECT_EQ(widths, (std::vector<int>{4, 3, 1, 2}));
    EXPECT_EQ(find_pack_tile(*pack, "a")->width, 4);
    EXPECT_EQ(find_pack_sound(*pack, "s")->speed, 0); // sounds in file order, the first wins
    EXPECT_EQ(pack->sounds->next->speed, 5);
    EXPECT_EQ(pack_level(*pack, 0)->number, 1);
    EXPECT_EQ(pack_level(*pack, 2)->number, 2);
    EXPECT_EQ(pack_level(*pack, 99)->number, 3);
    auto tiles_after_big = read_text(HEAD + big + tile + tile + LEVEL);
    EXPECT_EQ(tiles_after_big->tiles->next->next->next, nullptr);

    // Between records lines come in 127-character pieces: here the second
    // piece starts with "Level:" and opens a level; at 126 it would not.
    const std::string level = "Level:\nLayout:\n#@#\nend\nend\n";
    EXPECT_NE(read_text(HEAD + std::string(127, '-') + level), nullptr);
    EXPECT_EQ(read_text(HEAD + std::string(126, '-') + level), nullptr);
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
    EXPECT_EQ(find_pack_tile(*pack, "Untitle"), nullptr);
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
    EXPECT_EQ(state.packs->number, 1);
    EXPECT_EQ(second.number, 2);
    EXPECT_EQ(second.next, nullptr);
    EXPECT_EQ(second.num_levels, 3000);
    EXPECT_STREQ(pack_level(second, 3000)->name, "Level 3000");
    EXPECT_EQ(std::string(pack_level(second, 2345)->layout[1], 5), "#@$.#");
    EXPECT_EQ(nth_pack(state.packs.get(), 2), &second);
    EXPECT_EQ(nth_pack(state.packs.get(), 3), nullptr);
    EXPECT_EQ(nth_pack(state.packs.get(), 0), nullptr);
}

TEST(LevelReader, LayoutLegendCountsAndStart)
{
    Read r("Layout:\n"
           "  ####\n"
           "#-.$*@+#\tAb\xC3\x80\n"
           "#########################\n"
           "end \n"                                                   // a row, not the end of the block
           "#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n" // rows past the sixteenth are dropped
           "end\nend\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.row(0), pad("  ####"));
    EXPECT_EQ(r.row(1), pad("#-.$*@+#")); // tab, letters and bytes above 127 become spaces
    EXPECT_EQ(r.row(2), std::string(LEVEL_COLS, '#'));
    EXPECT_EQ(r.row(3), std::string(LEVEL_COLS, ' '));
    EXPECT_EQ(r.row(15), pad("#$"));
    EXPECT_EQ(r.level.loose_treasures, 13);
    EXPECT_EQ(r.level.banked_treasures, 1);
    EXPECT_EQ(r.level.num_treasures, 14);
    EXPECT_EQ(r.level.start_x, 6); // of two starts the later in reading order counts
    EXPECT_EQ(r.level.start_y, 1);
}

TEST(LevelReader, NamesWordsAndBlocks)
{
    Read r("Name: Twin Rooms \nWall:\nFloor: brick stone\n Bank: hidden\nTreasure:\tgold\nBankTreasure: chest\n"
           "Bank: mark\nStart: hello\nBanked: clink\nSolved: fanfare\nWall:slate\n"
           "Solution:\n>>\nendnote\nend\nSolution:\n<\n^^\nend\n"
           "About:\none\nend\nAbout:\ntwo\n\nlines\nend\nAbout:\nthree\nend\nend\n");
    ASSERT_EQ(r.result, 0);
    const Level_info& l = r.level;
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

    const std::pair<std::string, std::string> names[] = {
        {"Name:X-Ray\nend\n", "-Ray"},
        {"Name:\nend\n", ""},
        {"Name: one\nName: two\nend\n", "two"},
        {"Name: A\nendless\nName: B\n", "A"}, // any line starting with end ends the level
        {"Name: " + std::string(200, 'n') + "\nend\n", std::string(79, 'n')},
        {"Name: A\n" + std::string(255, 'x') + "end of it\nName: B\nend\n", "A"}, // pieces of 255
        {std::string("Name: A\0B\nend\n", 14), "A"},
    };
    for (const auto& [text, name] : names)
        EXPECT_EQ(std::string(Read(text).level.name), name) << text;
    EXPECT_EQ(std::string(Read("Wall: " + std::string(200, 'w') + "\nend\n").level.wall_tile.name),
              std::string(79, 'w'));
    Read nul(std::string("Layout:\n#@\0$.#\nend\0junk\nend\nend\n", 30));
    EXPECT_EQ(nul.row(0), pad("#@"));
    EXPECT_EQ(nul.level.num_treasures, 0);
    Read crlf("Name: Same\r\nLayout:\r\n#@$.#\r\nend\r\nSolution:\r\n>\r\nend\r\nend\r\n");
    EXPECT_STREQ(crlf.level.name, "Same");
    EXPECT_EQ(crlf.row(0), pad("#@$.#"));
    EXPECT_EQ(crlf.level.solution, ">");
    Read plain("Layout:\n#\nend\nend\n");
    EXPECT_FALSE(plain.level.has_solution);
    EXPECT_EQ(plain.level.about, nullptr);
}

} // namespace
