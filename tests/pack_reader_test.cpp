// Level packs: the header, the records and the stray lines between them, and the line rules.
#include <gmock/gmock.h>

#include <pthread.h>

#include <cstdio>
#include <cstring>

#include "engine/pack_records.h"
#include "files/level_reader.h"
#include "files/line_io.h"
#include "files/pack_reader.h"
#include "map_fixture.h"

namespace
{

using testing::ElementsAre;
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

// One case per way a pack is refused: the record and the line where reading stopped.
TEST(PackReader, AnUnreadablePackNamesWhereReadingStopped)
{
    const std::string two = HEAD + LEVEL;
    const std::string not_header = "the first line is not \"Zandrek Pack\"";
    const std::tuple<std::string, std::string, std::string, int, int> rows[] = {
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
        {"Zandrek Pack \n" + LEVEL, "header", not_header, 1, 1},
        {"Zandrek Pack\r\r\n" + LEVEL, "header", not_header, 1, 1},
        {"", "header", not_header, 1, 1},
    };
    for (const auto& [text, record, reason, record_line, line] : rows) {
        SCOPED_TRACE(text);
        Pack_diagnostic d;
        EXPECT_EQ(read_text(text, &d), nullptr);
        EXPECT_EQ(std::tie(d.record, d.reason, d.record_line, d.line), std::tie(record, reason, record_line, line));
    }
}

TEST(PackReader, LevelsAreNumberedInFileOrderStrayLinesIgnored)
{
    auto pack = read_text(HEAD + "\n Level:\nLevels of fun\nlevel: lower case\nend\nremark\n" + LEVEL + "Tile:\nend\n" +
                          LEVEL + "About:\nx\nend\n" + LEVEL);
    ASSERT_NE(pack, nullptr);
    std::vector<int> numbers;
    for (const Level_info* l = pack->levels.get(); l; l = l->next.get())
        numbers.push_back(l->number);
    EXPECT_THAT(numbers, ElementsAre(1, 2, 3));
    EXPECT_EQ(pack->num_levels, 3);
}

// Records read into a pack that holds some already come after them, the
// levels numbered on from its last.
TEST(PackReader, RecordsReadIntoAPackFollowWhatItHolds)
{
    auto pack = read_text(HEAD + "Level:\nName: A\nend\nTile:\nName: t\nend\n");
    ASSERT_NE(pack, nullptr);
    const std::string more = "Level:\nName: B\nend\nTile:\nName: u\nend\n";
    Line_source source;
    open_line_source(source, more.data(), more.size());
    EXPECT_EQ(read_pack_records(*pack, source), 0);
    std::vector<std::string> read;
    for (const Level_info* l = pack->levels.get(); l; l = l->next.get())
        read.push_back(std::to_string(l->number) + l->name);
    for (const Pack_tile* t = pack->tiles.get(); t; t = t->next.get())
        read.push_back(t->name);
    EXPECT_THAT(read, testing::ElementsAre("1A", "2B", "t", "u"));
}

TEST(PackReader, TheFirstTileOrSoundOfANameWins)
{
    auto pack = read_text(HEAD + "Tile:\nName: a\nWidth: 1\nend\nTile:\nName: a\nWidth: 2\nend\n" +
                          "Sound:\nName: s\nend\nSound:\nName: s\nSpeed: 5\nend\n" + LEVEL);
    EXPECT_EQ(std::make_tuple(find_pack_tile(*pack, "a")->width, find_pack_sound(*pack, "s")->speed),
              std::make_tuple(1, 0));
    EXPECT_EQ(find_pack_tile(*pack, "Untitle"), nullptr);
}

TEST(PackReader, BetweenRecordsLinesComeIn127CharacterPieces)
{
    EXPECT_NE(read_text(HEAD + std::string(127, '-') + LEVEL), nullptr); // the second piece opens the level
    EXPECT_EQ(read_text(HEAD + std::string(126, '-') + LEVEL), nullptr);
}

TEST(PackReader, ReferencesResolveToTheTileOrSoundOfTheirName)
{
    auto pack = read_text(HEAD + "Tile:\nend\nSound:\nName: ding\nend\n" + LEVEL);
    Level_info& level = *pack->levels;
    EXPECT_EQ(resolve_tile(*pack, level.wall_tile), pack->tiles.get()); // an unnamed tile serves unnamed references
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), nullptr);
    std::snprintf(level.start_sound.name, NAME_CAPACITY, "ding");
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), pack->sounds.get());
}

TEST(PackFile, AMissingFileIsRefusedBeforeAnyLine)
{
    Game_state state;
    Pack_diagnostic d;
    EXPECT_EQ(read_pack(state, temp_path("missing.zrp").c_str(), &d), 1);
    EXPECT_EQ(std::make_tuple(d.record, d.reason, d.record_line, d.line),
              std::make_tuple(std::string("file"), std::string("the file cannot be opened"), 0, 0));
}

TEST(PackFile, AFailureIsDescribedOnOneLine)
{
    const std::pair<Pack_diagnostic, const char*> rows[] = {
        {{"Level 2", 7, 11, "the file ends before the level's end line"},
         "p.zrp: line 11: the file ends before the level's end line (Level 2 starting at line 7)"},
        {{"header", 0, 1, "not a pack"}, "p.zrp: line 1: not a pack"},
        {{"file", 0, 0, "the file cannot be opened"}, "p.zrp: the file cannot be opened"},
    };
    for (const auto& [diagnostic, text] : rows)
        EXPECT_EQ(describe_pack_failure("p.zrp", diagnostic), text);
}

TEST(PackFile, LinesAcrossTheReadersBufferReadLikeAnyOther)
{
    std::string huge = HEAD;
    for (int i = 0; i < 1500; ++i)
        huge += "Level:\nName: Level " + std::to_string(i + 1) + "\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    const std::string file = temp_path("huge.zrp");
    write_bytes(file, std::vector<uint8_t>(huge.begin(), huge.end()));
    Game_state state;
    ASSERT_EQ(read_pack(state, file.c_str()), 0);
    std::remove(file.c_str());
    int whole = 0, n = 0;
    for (Level_info* l = state.packs->levels.get(); l; l = l->next.get())
        whole += summary(*l) == "Level " + std::to_string(++n) + "|Untitled|#####/#@$.#/#####|-|1";
    EXPECT_EQ(std::make_tuple(state.packs->num_levels, whole), std::make_tuple(1500, 1500));
}

TEST(RecordReader, ALevelRecordFillsEveryField)
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
    EXPECT_EQ(std::make_tuple(l.loose_treasures, l.banked_treasures, l.start_x, l.start_y),
              std::make_tuple(13, 1, 6, 1));
    std::string words;
    for (const char* word : {l.floor_tile.name, l.bank_tile.name, l.treasure_tile.name, l.bank_treasure_tile.name,
                             l.start_sound.name, l.banked_sound.name, l.solved_sound.name})
        words += std::string(word) + " ";
    for (const Text_block* b = l.about.get(); b; b = b->next.get()) // "endnote" ends no block
        words += "[" + b->text + "]";
    EXPECT_EQ(words, "brick mark gold chest hello clink fanfare [one\n][two\n\nlines\n][three\n]");
}

TEST(RecordReader, EachRecordHoldsWhatItsLinesGive)
{
    const std::pair<std::string, std::string> cases[] = {
        // Tiles: pixels row by row.
        {"Tile:\nName: crate\nWidth:3\nHeight: 2\nImagery: ignored\n1 2 3\n  4\t5 6 7\n9 9 9\nend\nend\n",
         "crate 3x2: 1 2 3 4 5 6"},
        {"Tile:\nWidth: 6\nHeight: 3\nImagery:\n1 2 300 -4 x\n7,8 +9 255 256 -0\n\nend\nend\n", // "7,8" is one field
         "Untitled 6x3: 1 2 0 0 0 0 7 9 255 0 0 0 0 0 0 0 0 0"},
        {"Tile:\nWidth: 2\nHeight: 2\nImagery:\n5 6 7\nend\nendtile\n", "Untitled 2x2: 5 6 0 0"},
        {"Tile:\nWidth: 3\nHeight: 1\nImagery:\n1\f2\v3\nend\nend\n", "Untitled 3x1: 1 2 3"},           // every C blank
        {"Tile:\nWidth: 512\nHeight: 512\nImagery:\n3\nend\nend\n", "Untitled 512x512: 262144 values"}, // the largest
        // Pictures that do not fit their sizes are dropped.
        {"Tile:\nImagery:\n1 2\nend\nWidth: 2\nHeight: 1\nend\n", "Untitled 2x1:"},
        {"Tile:\nWidth: 2\nHeight: 1\nImagery:\n1 2\nend\nWidth: 3\nend\n", "Untitled 3x1:"},
        {"Tile:\nWidth: 2000000000\nHeight: 2000000000\nImagery:\n1\nend\nend\n", "Untitled 2000000000x2000000000:"},
        {"Tile:\nWidth: 99999999999\nHeight: -99999999999\nend\n", "Untitled 2147483647x-2147483648:"},
        {"Tile:\nHeight: -\nend\n", "refused"},
        {"Tile:\nWidth: 1\nHeight: 1\nImagery:\n5\nendless\nWidth: 2\nend\nend\n", "Untitled 1x1: 5"}, // a row
        // Sounds.
        {"Sound:\nName: chime\nSpeed: 11025\nSampleSize: 8\nNumSamples: 3\nData: rest ignored\ni j g\ni i\nend\nend\n",
         "chime 11025/8/3: 256 -256 0"},
        {"Sound:\nNumSamples: 4\nData:\niA\nhj\nend\nend\n", "Untitled 0/0/4: 1 0 -1 0"},
        {"Sound:\nNumSamples: 1\nData:\nAh\nend\nend\n", "Untitled 0/0/1: 16"}, // A: five zero bits, then 1
        {"Sound:\nSampleSize: 9\nend\n", "Untitled 0/16/0:"},                   // sizes other than 8 and 16 become 16
        // A later Data block read while the count is wrong leaves no samples.
        {"Sound:\nNumSamples: 2\nData:\nij\nend\nNumSamples: 0\nData:\nend\nNumSamples: 2\nend\n", "Untitled 0/0/2:"},
        {"Sound:\nNumSamples: 2\nData:\nij\nend\nNumSamples: 3\nend\n",
         "Untitled 0/0/3:"}, // so does a count changed after
        {"Sound:\nNumSamples: 4194304\nData:\ni\nend\nend\n", "Untitled 0/0/4194304: 4194304 values"},
        {"Sound:\nNumSamples: 4194305\nData:\ni\nend\nend\n", "Untitled 0/0/4194305:"},
        {"Sound:\nSpeed: fast\nend\n", "refused"},
        {"Sound:\nNumSamples: 4\nData:\nendless\nend\nend\n", "Untitled 0/0/4: 127 -94 207 6"}, // sample text
        // Levels: any line starting with end ends one; long lines come in pieces of 255.
        {"Level:\nName:X-Ray\nend\n", "-Ray|Untitled||-|0"},
        {"Level:\nName: " + std::string(5000, 'x') + "\nend\n", std::string(79, 'x') + "|Untitled||-|0"},
        {"Level:\nName: A\nendless\nName: B\n", "A|Untitled||-|0"},
        {"Level:\nName: A\n" + std::string(255, 'x') + "end of it\nName: B\nend\n", "A|Untitled||-|0"},
        {std::string("Level:\nLayout:\n#@\0$.#\nend\0junk\nend\nend\n", 37), "Untitiled|Untitled|#@|-|0"},
        {"Level:\nName: Same\r\nLayout:\r\n#@$.#\r\nend\r\nSolution:\r\n>\r\nend\r\nend\r\n",
         "Same|Untitled|#@$.#|>|1"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(first_record(text), expected) << text;
}

// A level the file ends inside gives 1, wherever it ends: among its own
// lines or inside one of its blocks.
TEST(RecordReader, ALevelTheFileEndsInsideGivesOne)
{
    for (const char* text : {"Name: A\n", "Layout:\n#@$.#\n", "Solution:\n>\n", "About:\nhi\n"}) {
        Line_source source;
        open_line_source(source, text, std::strlen(text));
        Level_info level;
        EXPECT_EQ(read_level(level, source), 1) << text;
    }
}

// A stream opened for writing refuses every read, as a failing disk would.
TEST(RecordReader, AFileThatCannotBeReadIsNamed)
{
    const std::string path = temp_path("unreadable");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    char probe;
    if (std::fread(&probe, 1, 1, f) == 0 && !std::ferror(f)) {
        std::fclose(f);
        GTEST_SKIP() << "this C library reads a write-only stream as empty, not as failed";
    }
    std::clearerr(f);
    Line_source source;
    open_line_source(source, f);
    Pack_info pack;
    Pack_diagnostic d;
    EXPECT_EQ(read_pack_records(pack, source, &d), 1);
    EXPECT_EQ(std::tie(d.record, d.reason), std::make_tuple("file", "the file could not be read"));
    std::fclose(f);
    std::remove(path.c_str());
}

// A list of `count` records let go on a thread whose stack is far too small
// for a destructor call per record; true when the thread came back.
template <typename Record> bool let_go_on_a_small_stack(int count)
{
    auto* list = new std::unique_ptr<Record>;
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<Record>();
        record->next = std::move(*list);
        *list = std::move(record);
    }
    pthread_attr_t small;
    pthread_attr_init(&small);
    pthread_attr_setstacksize(&small, 256 * 1024);
    pthread_t thread;
    void* (*let_go)(void*) = [](void* p) -> void* {
        delete static_cast<std::unique_ptr<Record>*>(p);
        return nullptr;
    };
    const bool came_back = pthread_create(&thread, &small, let_go, list) == 0 && pthread_join(thread, nullptr) == 0;
    pthread_attr_destroy(&small);
    return came_back;
}

// A pack may hold many thousands of records, so letting a list of them go
// must not recurse through it: 20000 nested calls would overflow this stack.
TEST(PackRecords, ALongListIsLetGoWithoutRecursing)
{
    const int count = 20000;
    EXPECT_TRUE(let_go_on_a_small_stack<Level_info>(count));
    EXPECT_TRUE(let_go_on_a_small_stack<Pack_tile>(count));
    EXPECT_TRUE(let_go_on_a_small_stack<Pack_sound>(count));
    EXPECT_TRUE(let_go_on_a_small_stack<Text_block>(count));
    EXPECT_TRUE(let_go_on_a_small_stack<Pack_info>(count));
}

} // namespace
