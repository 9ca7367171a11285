// Level packs: the header, the records and the stray lines between them, and the line rules.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine/pack_records.h"
#include "files/level_reader.h"
#include "files/line_io.h"
#include "files/pack_reader.h"
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

template <typename T> std::string joined(const std::vector<T>& values)
{
    if (values.size() > 64) return " " + std::to_string(values.size()) + " values";
    std::string s;
    for (T v : values)
        s += " " + std::to_string(v);
    return s;
}

// Records as one line each: what a table row compares.
std::string summary(const Level_info& l)
{
    std::string rows; // trailing blanks and empty rows left out
    for (int r = 0; r < LEVEL_ROWS; ++r) {
        std::string one(l.layout[r], LEVEL_COLS);
        rows += one.erase(one.find_last_not_of(' ') + 1) + "/";
    }
    rows.erase(rows.find_last_not_of('/') + 1);
    return std::string(l.name) + "|" + l.wall_tile.name + "|" + rows + "|" + (l.has_solution ? l.solution : "-") + "|" +
           std::to_string(l.num_treasures);
}

std::string summary(const Pack_tile& t)
{
    return std::string(t.name) + " " + std::to_string(t.width) + "x" + std::to_string(t.height) + ":" +
           joined(t.pixels);
}

std::string summary(const Pack_sound& s)
{
    return std::string(s.name) + " " + std::to_string(s.speed) + "/" + std::to_string(s.sample_size) + "/" +
           std::to_string(s.num_samples) + ":" + joined(s.samples);
}

// The pack's first record of the kind the text starts with, as one line; "refused" when the pack is.
std::string first_record(const std::string& text)
{
    auto pack = read_text(HEAD + text + LEVEL);
    if (!pack) return "refused";
    return text[0] == 'T' ? summary(*pack->tiles) : text[0] == 'S' ? summary(*pack->sounds) : summary(*pack->levels);
}

TEST(PackReader, RecordsInFileOrderStrayLinesIgnoredFilesAppendedUnreadableOnesNamed)
{
    // Unreadable packs name the record and the line where reading stopped.
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
    for (const std::string& header : {"Zandrek Pack \n" + LEVEL, "Zandrek pack\n" + LEVEL, "Zandrek Pack\r\r\n" + LEVEL,
                                      std::string("Zandrek Pack"), std::string()})
        failures.emplace_back(header, "header", "the first line is not \"Zandrek Pack\"", 1, 1);
    for (const auto& [text, record, reason, record_line, line] : failures) {
        Pack_diagnostic d;
        EXPECT_EQ(read_text(text, &d), nullptr) << text;
        EXPECT_EQ(std::tie(d.record, d.reason, d.record_line, d.line), std::tie(record, reason, record_line, line))
            << text;
    }
    Pack_info empty; // a read error between records
    Line_source failing;
    open_line_source(failing, LEVEL.data(), LEVEL.size());
    failing.error = true;
    Pack_diagnostic d;
    EXPECT_EQ(read_pack_records(empty, failing, &d), 1);
    for (const std::string text : {"Speed: 1\n", "Data:\n"}) { // a record reader answers 1, whatever stops it
        Line_source cut;
        open_line_source(cut, text.data(), text.size());
        Pack_sound sound;
        EXPECT_EQ(read_sound(sound, cut), 1) << text;
    }
    EXPECT_EQ(describe_pack_failure("p", d), "p: line 1: the file could not be read");
    EXPECT_EQ(describe_pack_failure("p", {"Tile", 1, 1, "why"}), "p: line 1: why (Tile starting at line 1)");

    // Readable packs: records in file order, stray lines between them ignored.
    const std::string tile = "Tile:\nName: a\nWidth: 1\nend\n", big = "BigTile:\nName: a\nWidth: 3\nend\n";
    auto pack = read_text(HEAD + "Name: First\n\n Level:\nLevels of fun\nlevel: lower case\nend\nremark\n" + tile +
                          big + LEVEL + "About:\nPack text\nendnote\n" + "Tile:\nName: a\nWidth: 2\nend\n" + LEVEL +
                          "Name: " + std::string(100, 'p') + "\nBigTile:\nName: a\nWidth: 4\nend\n" +
                          "About:\nMore\nend\nSound:\nName: s\nend\n" + LEVEL + "Sound:\nName: s\nSpeed: 5\nend\n");
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(std::string(pack->name), std::string(79, 'p'));
    std::string order = pack->about->text + pack->about->next->text; // BigTiles first, the latest first
    for (Level_info* l = pack->levels.get(); l; l = l->next.get())
        order += std::to_string(l->number);
    for (Pack_tile* t = pack->tiles.get(); t; t = t->next.get())
        order += " " + std::to_string(t->width);
    EXPECT_EQ(order, "Pack text\nMore\n123 4 3 1 2");
    // Sounds in file order, the first of a name wins.
    EXPECT_EQ(Ints({find_pack_tile(*pack, "a")->width, find_pack_sound(*pack, "s")->speed, pack->sounds->next->speed,
                    pack->num_levels, pack_level(*pack, 0)->number, pack_level(*pack, 2)->number,
                    pack_level(*pack, 99)->number}),
              Ints({4, 0, 5, 3, 1, 2, 3}));
    EXPECT_EQ(find_pack_tile(*pack, "Untitle"), nullptr);
    EXPECT_EQ(read_text(HEAD + big + tile + tile + LEVEL)->tiles->next->next->next, nullptr);
    Line_source more; // records read into a pack continue its numbering
    open_line_source(more, LEVEL.data(), LEVEL.size());
    ASSERT_EQ(read_pack_records(*pack, more), 0);
    EXPECT_EQ(pack_level(*pack, 4)->number, 4);
    // Between records lines come in 127-character pieces: here the second opens a level.
    EXPECT_NE(read_text(HEAD + std::string(127, '-') + LEVEL), nullptr);
    EXPECT_EQ(read_text(HEAD + std::string(126, '-') + LEVEL), nullptr);
    // An unnamed tile serves unnamed references.
    pack = read_text(HEAD + "Tile:\nend\nSound:\nName: ding\nend\n" + LEVEL);
    Level_info& level = *pack->levels;
    EXPECT_EQ(resolve_tile(*pack, level.wall_tile), pack->tiles.get());
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), nullptr); // no sound is named "Untitled"
    std::snprintf(level.start_sound.name, NAME_CAPACITY, "ding");
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), pack->sounds.get());

    // Files are read as bytes, appended in order; an unreadable one is left out without a word.
    Game_state state;
    offscreen_reset();
    std::vector<std::string> files;
    std::string huge = HEAD;
    for (int i = 0; i < 3000; ++i) // across the reader's buffer boundaries
        huge += "Level:\nName: Level " + std::to_string(i + 1) + "\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    for (const std::string& text :
         {std::string("Zandrek Pack\r\nName: Alpha\r\nLevel:\r\nLayout:\r\n#@$.#\r\nend\r\nend\r\n"),
          std::string("not a pack\n"), huge}) {
        files.push_back(temp_path("pack.zrp"));
        write_bytes(files.back(), std::vector<uint8_t>(text.begin(), text.end()));
    }
    EXPECT_EQ(Ints({read_pack(state, files[0].c_str()), read_pack(state, files[1].c_str()),
                    read_pack(state, (files[0] + ".missing").c_str(), &d), read_pack(state, files[2].c_str())}),
              Ints({0, 1, 1, 0}));
    EXPECT_EQ(describe_pack_failure("p", d), "p: the file cannot be opened");
    EXPECT_TRUE(offscreen().calls.empty());
    for (const std::string& f : files)
        std::remove(f.c_str());
    EXPECT_EQ(state.packs->name + summary(*state.packs->levels), "AlphaUntitiled|Untitled|#@$.#|-|1");
    Pack_info& second = *state.packs->next;
    EXPECT_EQ(Ints({state.packs->number, second.number, second.num_levels}), Ints({1, 2, 3000}));
    int whole = 0, n = 0; // lines that cross a buffer's end read like any other
    for (Level_info* l = second.levels.get(); l; l = l->next.get())
        whole += summary(*l) == "Level " + std::to_string(++n) + "|Untitled|#####/#@$.#/#####|-|1";
    EXPECT_EQ(whole, 3000);
    Pack_info* first = state.packs.get();
    EXPECT_EQ(std::vector<Pack_info*>({nth_pack(first, 0), nth_pack(first, 1), nth_pack(first, 2), nth_pack(first, 3)}),
              std::vector<Pack_info*>({nullptr, first, &second, nullptr}));
}

TEST(RecordReader, LevelWordsAndBlocksThenSampleText)
{
    auto pack =
        read_text(HEAD + "Level:\nName: Twin Rooms \nWall:\nFloor: brick stone\n Bank: hidden\nTreasure:\tgold\n"
                         "BankTreasure: chest\nBank: mark\nStart: hello\nBanked: clink\nSolved: fanfare\n"
                         "Wall:slate\nSolution:\n>>\nendnote\nend\nSolution:\n<\n^^\nend\n"
                         "About:\none\nend\nAbout:\ntwo\n\nlines\nend\nAbout:\nthree\nend\n"
                         "Layout:\n"
                         "  ####\n"
                         "#-.$*@+#\tAb\xC3\x80\n" // tab, letters and bytes above 127 become spaces
                         "#########################\n"
                         "end \n"                                                   // a row, not the end of the block
                         "#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n#$\n" // rows past the sixteenth go
                         "end\nend\n");
    ASSERT_NE(pack, nullptr);
    const Level_info& l = *pack->levels;
    // No second word leaves a name, and "Wall:slate" is one word; the last Solution block counts.
    EXPECT_EQ(summary(l), "Twin Rooms |Untitled|  ####/#-.$*@+#/" + std::string(LEVEL_COLS, '#') +
                              "//#$/#$/#$/#$/#$/#$/#$/#$/#$/#$/#$/#$|<^^|14");
    // Of two starts the later in reading order counts.
    EXPECT_EQ(Ints({l.loose_treasures, l.banked_treasures, l.start_x, l.start_y}), Ints({13, 1, 6, 1}));
    std::string words;
    for (const char* word : {l.floor_tile.name, l.bank_tile.name, l.treasure_tile.name, l.bank_treasure_tile.name,
                             l.start_sound.name, l.banked_sound.name, l.solved_sound.name})
        words += std::string(word) + " ";
    for (const Text_block* b = l.about.get(); b; b = b->next.get()) // "endnote" ends no block
        words += "[" + b->text + "]";
    EXPECT_EQ(words, "brick mark gold chest hello clink fanfare [one\n][two\n\nlines\n][three\n]");
    // Sample text, one line at a time: line, sample size, capacity, samples.
    const std::tuple<const char*, int, int, std::vector<int>> lines[] = {
        {"g h i j - aiaj", 16, 16, {0, 0, 1, -1, 15, 45, 61}},
        {"A/h Zy effh: 9_0", 16, 16, {16, -300, 32767, -14, -15, 10}}, // characters outside the alphabet are skipped
        {"ij effh", 8, 16, {256, -256, static_cast<int16_t>(32767 * 256)}},
        {"ijij", 16, 3, {1, -1, 1}},
        {"AAAAAAAh", 16, 16, {0}}, // past 30 bits the digits are shifted out
    };
    for (const auto& [line, size, capacity, samples] : lines) {
        std::vector<int16_t> out(16, 0);
        int count = 0;
        decode_sample_line(line, size, out.data(), capacity, &count);
        EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + count), samples) << line;
    }
}

TEST(RecordReader, TilesSoundsAndLevelsWhateverTheirFieldsHold)
{
    const std::pair<std::string, const char*> cases[] = {
        // Tiles: pixels row by row.
        {"Tile:\nName: crate\nWidth:3\nHeight: 2\nImagery: ignored\n1 2 3\n  4\t5 6 7\n9 9 9\nend\nend\n",
         "crate 3x2: 1 2 3 4 5 6"},
        {"Tile:\nWidth: 6\nHeight: 3\nImagery:\n1 2 300 -4 x\n7,8 +9 255 256 -0\n\nend\nend\n", // "7,8" is one field
         "Untitled 6x3: 1 2 0 0 0 0 7 9 255 0 0 0 0 0 0 0 0 0"},
        {"Tile:\nWidth: 2\nHeight: 2\nImagery:\n5 6 7\nend\nendtile\n", "Untitled 2x2: 5 6 0 0"},
        {"Tile:\nWidth: 3\nHeight: 1\nImagery:\n1\v2\f3\nend\nend\n", "Untitled 3x1: 1 2 3"},
        {"Tile:\nWidth: 1\nHeight: 1\nImagery:\n99999999999\nend\nend\n", "Untitled 1x1: 0"},
        {"Tile:\nWidth: 512\nHeight: 512\nImagery:\n3\nend\nend\n", "Untitled 512x512: 262144 values"}, // the largest
        // Pictures that do not fit their sizes are dropped.
        {"Tile:\nImagery:\n1 2\nend\nWidth: 2\nHeight: 1\nend\n", "Untitled 2x1:"},
        {"Tile:\nWidth: 2\nHeight: 1\nImagery:\n1 2\nend\nWidth: 3\nend\n", "Untitled 3x1:"},
        {"Tile:\nWidth: 2000000000\nHeight: 2000000000\nImagery:\n1\nend\nend\n", "Untitled 2000000000x2000000000:"},
        {"Tile:\nWidth: 512\nHeight: 513\nImagery:\n1\nend\nend\n", "Untitled 512x513:"},
        {"Tile:\nWidth: -3\nHeight: 4\nImagery:\n1\nend\nend\n", "Untitled -3x4:"},
        {"Tile:\nWidth: 99999999999\nHeight: -99999999999\nend\n", "Untitled 2147483647x-2147483648:"},
        {"Tile:\nHeight: -\nend\n", "refused"},
        {"Tile:\nWidth: 1\nHeight: 1\nImagery:\n5\nendless\nWidth: 2\nend\nend\n", "Untitled 1x1: 5"}, // a row
        // Sounds.
        {"Sound:\nName: chime\nSpeed: 11025\nSampleSize: 8\nNumSamples: 3\nData: rest ignored\ni j g\ni i\nend\nend\n",
         "chime 11025/8/3: 256 -256 0"},
        {"Sound:\nNumSamples: 4\nData:\niA\nhj\nend\nend\n", "Untitled 0/0/4: 1 0 -1 0"},
        {"Sound:\nSampleSize: 9\nend\n", "Untitled 0/16/0:"}, // sizes other than 8 and 16 become 16
        {"Sound:\nNumSamples: 3\nData:\ni\nend\nNumSamples: 2\nend\n", "Untitled 0/0/2:"},
        // A later Data block read while the count is wrong leaves no samples.
        {"Sound:\nNumSamples: 2\nData:\nij\nend\nNumSamples: 0\nData:\nend\nNumSamples: 2\nend\n", "Untitled 0/0/2:"},
        {"Sound:\nNumSamples: 4194304\nData:\ni\nend\nend\n", "Untitled 0/0/4194304: 4194304 values"},
        {"Sound:\nNumSamples: 4194305\nData:\ni\nend\nend\n", "Untitled 0/0/4194305:"},
        {"Sound:\nNumSamples: -2\nData:\ni\nend\nend\n", "Untitled 0/0/-2:"},
        {"Sound:\nSpeed: fast\nend\n", "refused"},
        {"Sound:\nSampleSize:\nend\n", "refused"},
        {"Sound:\nNumSamples: 4\nData:\nendless\nend\nend\n", "Untitled 0/0/4: 127 -94 207 6"}, // sample text
        // Levels: any line starting with end ends one; long lines come in pieces of 255.
        {"Level:\nName:X-Ray\nend\n", "-Ray|Untitled||-|0"},
        {"Level:\nName: A\nendless\nName: B\n", "A|Untitled||-|0"},
        {"Level:\nName: A\n" + std::string(255, 'x') + "end of it\nName: B\nend\n", "A|Untitled||-|0"},
        {std::string("Level:\nLayout:\n#@\0$.#\nend\0junk\nend\nend\n", 37), "Untitiled|Untitled|#@|-|0"},
        {"Level:\nName: Same\r\nLayout:\r\n#@$.#\r\nend\r\nSolution:\r\n>\r\nend\r\nend\r\n",
         "Same|Untitled|#@$.#|>|1"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(first_record(text), expected) << text;
}

} // namespace
