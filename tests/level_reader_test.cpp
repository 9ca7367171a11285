#include <gtest/gtest.h>

#include <string>

#include "files/level_reader.h"
#include "files/line_io.h"
#include "files/pack_records.h"

namespace
{

// Reads one level record from text that follows its Level: line.
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

TEST(LevelReader, SmallestRecordKeepsEveryDefault)
{
    Read r("Layout:\n#\nend\nend\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_STREQ(r.level.name, "Untitiled");
    for (const Tile_ref* t : {&r.level.treasure_tile, &r.level.bank_treasure_tile, &r.level.wall_tile,
                              &r.level.floor_tile, &r.level.bank_tile})
        EXPECT_STREQ(t->name, "Untitled");
    for (const Sound_ref* s : {&r.level.start_sound, &r.level.banked_sound, &r.level.solved_sound})
        EXPECT_STREQ(s->name, "Untitled");
    EXPECT_FALSE(r.level.has_solution);
    EXPECT_EQ(r.level.about, nullptr);
    EXPECT_EQ(r.level.start_x, 0);
    EXPECT_EQ(r.level.start_y, 0);
}

TEST(LevelReader, LayoutLegendCountsAndStart)
{
    Read r("Layout:\n"
           "  ####\n"
           "#-.$*@+#\tAb\xC3\x80\n"
           "1234567890123456789012345\n"
           "end\n"
           "end\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.row(0), pad("  ####"));
    EXPECT_EQ(r.row(1), pad("#-.$*@+#")); // tab, letters and bytes above 127 become spaces
    EXPECT_EQ(r.row(2), std::string(LEVEL_COLS, ' '));
    EXPECT_EQ(r.row(3), std::string(LEVEL_COLS, ' '));
    EXPECT_EQ(r.level.loose_treasures, 1);
    EXPECT_EQ(r.level.banked_treasures, 1);
    EXPECT_EQ(r.level.num_treasures, 2);
    // Of two starts the later in reading order counts.
    EXPECT_EQ(r.level.start_x, 6);
    EXPECT_EQ(r.level.start_y, 1);
}

TEST(LevelReader, LayoutRowsAreCutAndExtraRowsDropped)
{
    std::string text = "Layout:\n#########################\n";
    for (int i = 1; i < 18; ++i)
        text += "#$\n";
    text += "end \nend\nend\n"; // "end " is a row, not the end of the block
    Read r(text);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.row(0), std::string(LEVEL_COLS, '#'));
    EXPECT_EQ(r.row(15), pad("#$"));
    EXPECT_EQ(r.level.loose_treasures, 15); // rows 17 and 18 were read and dropped
}

TEST(LevelReader, AnyLineStartingWithEndEndsTheRecordButNotItsBlocks)
{
    Read endless("Name: A\nendless\nName: B\n");
    EXPECT_EQ(endless.result, 0);
    EXPECT_STREQ(endless.level.name, "A");

    Read solution("Solution:\n>>\nendnote\n<<\nend\nend\n");
    ASSERT_EQ(solution.result, 0);
    EXPECT_EQ(solution.level.solution, ">>endnote<<");

    Read about("About:\nfirst line\nendnote\nend\n");
    ASSERT_EQ(about.result, 0);
    ASSERT_NE(about.level.about, nullptr);
    EXPECT_EQ(about.level.about->text, "first line\n");
}

TEST(LevelReader, NamesAndWords)
{
    Read r("Name: Twin Rooms \n"
           "Wall:\n"
           "Floor: brick stone\n"
           " Bank: hidden\n"
           "Treasure:\tgold\n"
           "BankTreasure: chest\n"
           "Bank: mark\n"
           "Start: hello\n"
           "Banked: clink\n"
           "Solved: fanfare\n"
           "Wall:slate\n"
           "end\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_STREQ(r.level.name, "Twin Rooms ");
    EXPECT_STREQ(r.level.wall_tile.name, "Untitled"); // no second word, and "Wall:slate" is one word
    EXPECT_STREQ(r.level.floor_tile.name, "brick");
    EXPECT_STREQ(r.level.bank_tile.name, "mark");
    EXPECT_STREQ(r.level.treasure_tile.name, "gold");
    EXPECT_STREQ(r.level.bank_treasure_tile.name, "chest");
    EXPECT_STREQ(r.level.start_sound.name, "hello");
    EXPECT_STREQ(r.level.banked_sound.name, "clink");
    EXPECT_STREQ(r.level.solved_sound.name, "fanfare");

    Read x("Name:X-Ray\nend\n");
    EXPECT_STREQ(x.level.name, "-Ray");
    Read empty("Name:\nend\n");
    EXPECT_STREQ(empty.level.name, "");
    Read repeated("Name: one\nName: two\nend\n");
    EXPECT_STREQ(repeated.level.name, "two");
}

TEST(LevelReader, OverlongNamesAreCutTo79Characters)
{
    std::string long_name(200, 'n');
    Read r("Name: " + long_name + "\nWall: " + long_name + "\nend\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(std::string(r.level.name), std::string(79, 'n'));
    EXPECT_EQ(std::string(r.level.wall_tile.name), std::string(79, 'n'));
}

TEST(LevelReader, BlocksRepeat)
{
    Read r("Solution:\n>>\nv\nend\nSolution:\n<\n^^\nend\n"
           "About:\none\nend\nAbout:\ntwo\n\nlines\nend\nAbout:\nthree\nend\nend\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_TRUE(r.level.has_solution);
    EXPECT_EQ(r.level.solution, "<^^");
    std::string texts;
    for (const Text_block* b = r.level.about.get(); b; b = b->next.get())
        texts += "[" + b->text + "]";
    EXPECT_EQ(texts, "[one\n][two\n\nlines\n][three\n]");
}

TEST(LevelReader, CrLfAndLfReadAlike)
{
    Read lf("Name: Same\nLayout:\n#@$.#\nend\nSolution:\n>\nend\nend\n");
    Read crlf("Name: Same\r\nLayout:\r\n#@$.#\r\nend\r\nSolution:\r\n>\r\nend\r\nend\r\n");
    ASSERT_EQ(lf.result, 0);
    ASSERT_EQ(crlf.result, 0);
    EXPECT_STREQ(lf.level.name, crlf.level.name);
    EXPECT_EQ(lf.row(0), crlf.row(0));
    EXPECT_EQ(lf.level.solution, crlf.level.solution);
}

TEST(LevelReader, FileEndingInsideTheRecordFails)
{
    EXPECT_EQ(Read("Name: A\n").result, 1);
    EXPECT_EQ(Read("Layout:\n#\n").result, 1);
    EXPECT_EQ(Read("Layout:\n#\nend\nend").result, 1); // the last end has no line end
    EXPECT_EQ(Read("Solution:\n>\n").result, 1);
    EXPECT_EQ(Read("About:\ntext\n").result, 1);
    EXPECT_EQ(Read("").result, 1);
}

TEST(LevelReader, LongLinesAreReadInPiecesOf255)
{
    // The second piece of a long line is a line of its own: here it starts with "end".
    std::string filler(255, 'x');
    Read r("Name: A\n" + filler + "end of it\nName: B\nend\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_STREQ(r.level.name, "A");
}

} // namespace
