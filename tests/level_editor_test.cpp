// The pack editor's portable core: painting and undo, the checks before a
// search, the dead cells, the level link, the pack's list of levels, the
// pack writer read back by the game's own reader, and play-tested solutions.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tools/authoring/authored_records.h"
#include "tools/authoring/editor_session.h"
#include "tools/authoring/level_checks.h"
#include "tools/authoring/level_editor.h"
#include "tools/authoring/level_link.h"
#include "tools/authoring/pack_editing.h"
#include "tools/authoring/sample_text.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/solver.h"
#include "tools/authoring/tested_solution.h"
#include "tools/authoring/tool_game.h"
#include "tools/authoring/verdict_text.h"

namespace
{

// Rows written on one line, split at each '|'.
std::vector<std::string> rows_of(const std::string& text)
{
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string row; std::getline(in, row, '|');)
        rows.push_back(row);
    return rows;
}

// Rows as the editor keeps them: 16 of 20 characters.
std::vector<std::string> full_rows(const std::string& text)
{
    std::vector<std::string> rows = rows_of(text);
    rows.resize(16);
    for (std::string& row : rows)
        row.resize(20, ' ');
    return rows;
}

Level_editor editor_with(const std::string& rows)
{
    Authored_level level;
    level.name = "test";
    level.rows = rows_of(rows);
    Level_editor editor;
    editor_open(editor, level);
    return editor;
}

std::string file_bytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Everything the game keeps of a pack, as text to compare.
std::string pack_summary(const Pack_info& pack)
{
    std::ostringstream o;
    o << "pack [" << pack.name << "] levels " << pack.num_levels << "\n";
    for (const Text_block* b = pack.about.get(); b; b = b->next.get())
        o << "about [" << b->text << "]\n";
    for (const Pack_tile* t = pack.tiles.get(); t; t = t->next.get()) {
        o << "tile [" << t->name << "] " << t->width << "x" << t->height << ":";
        for (uint8_t p : t->pixels)
            o << " " << int(p);
        o << "\n";
    }
    for (const Pack_sound* s = pack.sounds.get(); s; s = s->next.get()) {
        o << "sound [" << s->name << "] " << s->speed << " " << s->sample_size << " " << s->num_samples << ":";
        for (int16_t v : s->samples)
            o << " " << v;
        o << "\n";
    }
    for (const Level_info* l = pack.levels.get(); l; l = l->next.get()) {
        o << "level " << l->number << " [" << l->name << "] " << std::string(&l->layout[0][0], sizeof l->layout)
          << " start " << l->start_x << "," << l->start_y << " treasures " << l->loose_treasures << "+"
          << l->banked_treasures << " refs " << l->treasure_tile.name << " " << l->bank_treasure_tile.name << " "
          << l->wall_tile.name << " " << l->floor_tile.name << " " << l->bank_tile.name << " " << l->start_sound.name
          << " " << l->banked_sound.name << " " << l->solved_sound.name << " solution "
          << (l->has_solution ? "[" + l->solution + "]" : "none") << "\n";
        for (const Text_block* b = l->about.get(); b; b = b->next.get())
            o << "  about [" << b->text << "]\n";
    }
    return o.str();
}

// Read by the game, written by the editor, read by the game again.
void expect_round_trip(const std::string& original)
{
    Pack_diagnostic diagnostic;
    std::unique_ptr<Pack_info> first = read_pack_bytes(original.data(), original.size(), &diagnostic);
    ASSERT_TRUE(first) << describe_pack_failure("original", diagnostic);
    std::string text, problem;
    ASSERT_EQ(pack_text(authored_pack(*first), text, problem), 0) << problem;
    std::unique_ptr<Pack_info> second = read_pack_bytes(text.data(), text.size(), &diagnostic);
    ASSERT_TRUE(second) << describe_pack_failure("written", diagnostic) << "\n" << text;
    EXPECT_EQ(pack_summary(*second), pack_summary(*first)) << text;
}

const char ROOM[] = "######|#@$-.#|######";

TEST(EditorPaint, PiecesCombineWithWhatTheCellHolds)
{
    const struct {
        char before, piece, after;
    } cases[] = {
        {'.', '$', '*'}, {'.', '@', '+'}, {'$', '.', '*'}, {'@', '.', '+'}, {'*', '-', '-'},
        {'+', '$', '*'}, {'*', '@', '+'}, {'#', '.', '.'}, {'$', '#', '#'}, {'-', ' ', ' '},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.before) + " painted " + c.piece);
        Level_editor editor = editor_with(std::string("####|#") + c.before + "-#|####");
        EXPECT_TRUE(editor_paint(editor, 1, 1, c.piece));
        EXPECT_EQ(editor.level.rows[1][1], c.after);
    }
}

TEST(EditorPaint, PlacingZandrekTakesHimOffTheCellHeStoodOn)
{
    Level_editor editor = editor_with("#######|#+--@-#|#######");
    ASSERT_TRUE(editor_paint(editor, 1, 3, '@'));
    EXPECT_EQ(editor.level.rows[1].substr(0, 7), "#.-@--#");
}

TEST(EditorPaint, NoPieceOrNoCellChangesNothing)
{
    const struct {
        int row, col;
        char piece;
    } cases[] = {{1, 1, 'x'}, {1, 1, '\0'}, {-1, 0, '#'}, {16, 0, '#'}, {0, 20, '#'}, {1, 1, '@'}};
    for (const auto& c : cases) {
        Level_editor editor = editor_with(ROOM);
        EXPECT_FALSE(editor_paint(editor, c.row, c.col, c.piece));
        EXPECT_EQ(editor.level.rows, full_rows(ROOM));
        EXPECT_FALSE(editor_undo(editor));
    }
}

TEST(EditorHistory, AStrokeIsUndoneAndRedoneAsOneEdit)
{
    Level_editor editor = editor_with(ROOM);
    ASSERT_TRUE(editor_paint(editor, 1, 3, '#'));
    std::vector<std::string> before_stroke = editor.level.rows;
    editor_begin_stroke(editor);
    for (int col = 0; col < 6; ++col)
        editor_paint(editor, 3, col, '#');
    editor_end_stroke(editor);
    std::vector<std::string> after_stroke = editor.level.rows;

    ASSERT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.rows, before_stroke);
    ASSERT_TRUE(editor_redo(editor));
    EXPECT_EQ(editor.level.rows, after_stroke);
    ASSERT_TRUE(editor_undo(editor));
    ASSERT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.rows, full_rows(ROOM));
    EXPECT_FALSE(editor_undo(editor));
}

TEST(EditorHistory, ALayoutChangeDropsTheStoredSolutionAndUndoBringsItBack)
{
    Level_editor editor = editor_with(ROOM);
    editor.level.solution = ">>";
    ASSERT_TRUE(editor_paint(editor, 1, 3, '.'));
    EXPECT_EQ(editor.level.solution, "");
    ASSERT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.solution, ">>");
}

TEST(EditorFields, ValuesTheWriterCannotWriteAreRefusedAndChangeNothing)
{
    Level_editor editor = editor_with(ROOM);
    std::string problem;
    EXPECT_EQ(editor_set_name(editor, std::string(80, 'n'), problem), -1);
    EXPECT_EQ(editor_set_name(editor, "two\nlines", problem), -1);
    EXPECT_EQ(editor_set_reference(editor, REF_WALL, "two words", problem), -1);
    EXPECT_EQ(editor_set_about(editor, {"first\nend of it\n"}, problem), -1);
    EXPECT_NE(problem.find("\"end\""), std::string::npos) << problem;
    EXPECT_EQ(editor.level.name, "test");
    EXPECT_EQ(editor.level.references[REF_WALL], "Untitled");
    EXPECT_TRUE(editor.level.about.empty());
    EXPECT_FALSE(editor_undo(editor));
}

TEST(EditorFields, TypedAboutTextIsKeptAsTheReaderWouldKeepIt)
{
    Level_editor editor = editor_with(ROOM);
    std::string problem;
    ASSERT_EQ(editor_set_about(editor, {"one\r\ntwo"}, problem), 0) << problem;
    EXPECT_EQ(editor.level.about, std::vector<std::string>{"one\ntwo\n"});
}

TEST(EditorChecks, FaultsFoundBeforeAnySearch)
{
    const struct {
        const char* rows;
        std::vector<Level_fault> faults;
    } cases[] = {
        {ROOM, {}},
        {"######|#-$-.#|######", {FAULT_ZANDREK_COUNT}},
        {"#######|#@$-.@#|#######", {FAULT_ZANDREK_COUNT}},
        {"######|#@--.#|######", {FAULT_NO_TREASURE}},
        {"#######|#@$$.#|#######", {FAULT_FEW_BANKS}},
        {"#######|#@$..#|#######", {}},
        {"-#####|#@$-.#|######", {FAULT_OPEN_CELL}},
        {"#####|#@$.-|#####", {FAULT_OPEN_CELL}},
        {"######|#@$-.#|## ###|######", {FAULT_OPEN_CELL}},
        {" ####|#@$.#|#####", {}},
        {"", {FAULT_ZANDREK_COUNT, FAULT_NO_TREASURE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        std::vector<Level_fault> found;
        for (const Level_problem& p : level_problems(rows_of(c.rows))) {
            found.push_back(p.fault);
            EXPECT_FALSE(p.message.empty());
        }
        EXPECT_EQ(found, c.faults);
    }
}

TEST(EditorChecks, OpenCellsAreNamedAndMarked)
{
    std::vector<Level_problem> problems = level_problems(rows_of("######|#@$-.#|#-####|# ####|######"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].cells, (std::vector<int>{2 * 20 + 1}));
    EXPECT_NE(problems[0].message.find("row 3, column 2"), std::string::npos) << problems[0].message;
}

TEST(EditorChecks, DeadCellsAreTheFloorNoTreasureLeavesForABank)
{
    std::vector<bool> dead = level_dead_cells(rows_of("######|#-.--#|#-$@-#|#----#|######"));
    std::vector<int> marked;
    for (size_t i = 0; i < dead.size(); ++i)
        if (dead[i]) marked.push_back(static_cast<int>(i));
    // The corners, the side columns and the bottom row; walls are never marked.
    EXPECT_EQ(marked, (std::vector<int>{21, 24, 41, 44, 61, 62, 63, 64}));
}

TEST(EditorLink, RowsAreEncodedAsTheBrowserEncodesThem)
{
    const struct {
        const char *rows, *encoded;
    } cases[] = {
        {"#####|#@$.#|#####", "%23%23%23%23%23%7C%23%40%24.%23%7C%23%23%23%23%23"},
        {"  ###   |  #+*#|  ###", "%20%20%23%23%23%7C%20%20%23%2B*%23%7C%20%20%23%23%23"},
        {"|#-#||", "%7C%23-%23"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encode_level_rows(rows_of(c.rows)), c.encoded);
        EXPECT_EQ(level_link(rows_of(c.rows)), std::string("editor.html#level=") + c.encoded);
    }
}

TEST(EditorLink, DecodingFillsShortRowsAndTakesWholeLinks)
{
    const char* const links[] = {
        "editor.html#level=%23%23%23%7C%23%40%24.%23",
        "#level=%23%23%23%7C%23%40%24.%23",
        "level=%23%23%23%7c%23%40%24.%23",
        "###|#@$.#",
        "%23%23%23%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%7C%23%40%24.%23",
    };
    for (const char* link : links) {
        SCOPED_TRACE(link);
        std::vector<std::string> rows;
        std::string problem;
        ASSERT_EQ(decode_level_link(link, rows, problem), 0) << problem;
        EXPECT_EQ(rows, full_rows("###|#@$.#"));
    }
}

TEST(EditorLink, BadLinksAreRefusedWithTheReason)
{
    const struct {
        std::string link;
        const char* reason;
    } cases[] = {
        {"#level=%23%2", "% escape"},
        {"#level=%zz", "% escape"},
        {"#level=", "no level"},
        {"#level=" + std::string(21, '#'), "longer than 20"},
        {"#level=" + std::string(16, '|') + "#", "more than 16 rows"},
        {"#level=##x#", "column 3"},
        {"#level=%23%00", "no piece"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        std::vector<std::string> rows = {"kept"};
        std::string problem;
        EXPECT_EQ(decode_level_link(c.link, rows, problem), -1);
        EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
        EXPECT_EQ(rows, std::vector<std::string>{"kept"});
    }
}

TEST(EditorPack, LevelsAreAddedMovedRenamedAndRemoved)
{
    Authored_pack pack = new_pack();
    std::string problem;
    Authored_level level = blank_level();
    for (const char* name : {"B", "C"}) {
        level.name = name;
        ASSERT_EQ(pack_add_level(pack, pack.levels.size(), level, problem), 0) << problem;
    }
    ASSERT_EQ(pack_rename_level(pack, 0, "A", problem), 0);
    ASSERT_EQ(pack_move_level(pack, 0, 2, problem), 0);
    ASSERT_EQ(pack_remove_level(pack, 0, problem), 0);
    ASSERT_EQ(pack.levels.size(), 2u);
    EXPECT_EQ(pack.levels[0].name, "C");
    EXPECT_EQ(pack.levels[1].name, "A");
}

TEST(EditorPack, ListLimitsAreRefused)
{
    Authored_pack pack = new_pack();
    std::string problem;
    EXPECT_EQ(pack_remove_level(pack, 0, problem), -1);
    EXPECT_EQ(pack_move_level(pack, 0, 1, problem), -1);
    while (pack.levels.size() < 99)
        ASSERT_EQ(pack_add_level(pack, 0, blank_level(), problem), 0);
    EXPECT_EQ(pack_add_level(pack, 0, blank_level(), problem), -1);
    EXPECT_NE(problem.find("99"), std::string::npos) << problem;
    EXPECT_EQ(pack.levels.size(), 99u);
}

TEST(EditorPack, ADamagedPackGivesTheReadersLineAndLeavesTheOpenPack)
{
    Authored_pack pack = new_pack();
    std::string problem;
    EXPECT_EQ(open_pack_text("Zandrek Pack\nLevel:\nLayout:\n#\n", "bad.zrp", pack, problem), -1);
    EXPECT_NE(problem.find("bad.zrp: line 4"), std::string::npos) << problem;
    EXPECT_EQ(pack.name, "New pack");
}

TEST(EditorWriter, TheSamplePackRoundTripsThroughTheGamesReader)
{
    std::string original = file_bytes("assets/packs/lantern_docks.zrp");
    ASSERT_FALSE(original.empty());
    expect_round_trip(original);
}

TEST(EditorWriter, UnusualRecordsRoundTripThroughTheGamesReader)
{
    const std::string long_name(79, 'N');
    const std::string long_line(254, 'a');
    const std::string cases[] = {
        // A BigTile wins a name over an earlier Tile; pixels beyond a row's
        // values, and rows the block leaves out, are 0.
        "Zandrek Pack\nTile:\nName: Brick\nWidth: 3\nHeight: 2\nImagery:\n1 0 7\nend\nend\n"
        "BigTile:\nName: Brick\nWidth: 2\nHeight: 3\nImagery:\n0 4\n9\nend\nend\n"
        "Level:\nWall: Brick\nLayout:\n###\n#@#\n###\nend\nend\n",
        // 8-bit samples, negative ones, and a sound without data.
        "Zandrek Pack\nSound:\nName: Bell\nSpeed: 11025\nSampleSize: 8\nNumSamples: 5\nData:\nijAhg\nend\nend\n"
        "Sound:\nName: Quiet\nSpeed: 8000\nNumSamples: 3\nend\n"
        "Sound:\nName: Loud\nSpeed: 22050\nSampleSize: 16\nNumSamples: 3\nData:\nZyeffhj\nend\nend\n"
        "Level:\nSolved: Bell\nStart: Loud\nLayout:\n###\n#+#\n###\nend\nend\n",
        // Names and lines as long as the reader takes, an empty Solution
        // block, About blocks of the pack and of a level.
        "Zandrek Pack\nName: " + long_name + "\nAbout:\n" + long_line + "\n\n  indented\nend\n" +
            "Level:\nName: " + long_name + "\nSolution:\nend\nAbout:\nfirst\nend\nAbout:\nsecond\nend\n" +
            "Layout:\n  ####\n  #@$.#\n  #####\nend\nend\n",
        // A solution that ends in the letters of an end line.
        "Zandrek Pack\nLevel:\nSolution:\n" + std::string(59, '>') + "\n>end\nend\nLayout:\n#\nend\nend\n",
    };
    for (const std::string& original : cases) {
        SCOPED_TRACE(original);
        expect_round_trip(original);
    }
}

// Whatever strange pack the reader accepts, the writer either names what it
// cannot write or writes a pack that reads back the same.
TEST(EditorWriter, DamagedPacksTheReaderAcceptsAreRefusedOrRoundTrip)
{
    const std::string full = "Zandrek Pack\nName: Small\nAbout:\nA pack.\nend\n"
                             "Tile:\nName: t\nWidth: 2\nHeight: 2\nImagery:\n1 2\n3 4\nend\nend\n"
                             "BigTile:\nName: b\nWidth: 1\nHeight: 1\nImagery:\n9\nend\nend\n"
                             "Sound:\nName: s\nSpeed: 8000\nSampleSize: 8\nNumSamples: 3\nData:\nijAh\nend\nend\n"
                             "Level:\nName: One\nWall: t\nLayout:\n#####\n#@$.#\n#####\nend\n"
                             "Solution:\n>\nend\nAbout:\nText.\nend\nend\n";
    const std::string inserts[] = {"\n", "end", "\r", " ", "\t", "x", "0", "-", std::string(1, '\0'), "\nend\n"};
    std::mt19937 random(27);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    int accepted = 0, refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text = full;
        for (int e = 1 + static_cast<int>(pick(3)); e > 0; --e)
            text.insert(pick(text.size()), inserts[pick(sizeof inserts / sizeof inserts[0])]);
        std::unique_ptr<Pack_info> first = read_pack_bytes(text.data(), text.size());
        if (!first) continue;
        std::string written, problem;
        if (pack_text(authored_pack(*first), written, problem) != 0) {
            EXPECT_FALSE(problem.empty());
            refused += 1;
            continue;
        }
        accepted += 1;
        std::unique_ptr<Pack_info> second = read_pack_bytes(written.data(), written.size());
        ASSERT_TRUE(second) << text;
        EXPECT_EQ(pack_summary(*second), pack_summary(*first)) << text;
    }
    // The damage must leave enough packs readable to say anything.
    EXPECT_GT(accepted, 100) << refused << " refused";
}

TEST(EditorWriter, WhatTheReaderWouldReadOtherwiseIsRefused)
{
    const struct {
        void (*spoil)(Authored_pack&);
        const char* reason;
    } cases[] = {
        {[](Authored_pack& p) { p.levels[0].about = {"fine\nend of the road\n"}; }, "\"end\""},
        {[](Authored_pack& p) { p.about = {std::string(255, 'a') + "\n"}; }, "longer than 254"},
        {[](Authored_pack& p) { p.name = std::string(80, 'n'); }, "at most 79"},
        {[](Authored_pack& p) { p.levels[0].name = "a\nb"; }, "line end"},
        {[](Authored_pack& p) { p.levels[0].references[REF_FLOOR] = "old oak"; }, "one word"},
        {[](Authored_pack& p) { p.levels[0].rows[2] = "#x#"; }, "no piece"},
        {[](Authored_pack& p) { p.levels[0].solution = "<>\n"; }, "line end"},
        {[](Authored_pack& p) {
             p.tiles.push_back(Authored_tile{"T", 2, 2, {1, 2, 3}});
         },
         "width and height"},
        {[](Authored_pack& p) {
             p.tiles.push_back(Authored_tile{"T", 100, 1, std::vector<uint8_t>(100, 200)});
         },
         "more than 254"},
        {[](Authored_pack& p) { p.levels.clear(); }, "at least one level"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        Authored_pack pack = new_pack();
        c.spoil(pack);
        std::string text = "untouched", problem;
        EXPECT_EQ(pack_text(pack, text, problem), -1);
        EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
        EXPECT_EQ(text, "untouched");
    }
}

TEST(EditorWriter, SamplesAreWrittenInTheReadersText)
{
    const struct {
        int16_t sample;
        int size;
        const char* text;
    } cases[] = {{0, 16, "g"},     {1, 16, "i"},        {-1, 16, "j"}, {15, 16, "-"}, {16, 16, "Ah"},
                 {-300, 16, "Zy"}, {32767, 16, "effh"}, {256, 8, "i"}, {-256, 8, "j"}};
    for (const auto& c : cases)
        EXPECT_EQ(sample_number_text(c.sample, c.size), c.text) << c.sample;
}

class EditorPlayTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }
    Tool_game game;
};

TEST_F(EditorPlayTest, MovesThatSolveAreStoredAndPlayBackFromTheWrittenPack)
{
    Authored_level level = editor_with("#######|#@-$-.#|#######").level;
    std::string problem;
    ASSERT_EQ(store_tested_solution(game.state, level, ">>>", problem), 0) << problem;
    std::unique_ptr<Pack_info> pack = pack_of_level(level);
    ASSERT_TRUE(pack);
    EXPECT_TRUE(replay_solution(game.state, *pack->levels, pack->levels->solution).solved);
}

TEST_F(EditorPlayTest, TheSamplePackSavedAgainKeepsSolutionsTheGameAccepts)
{
    std::string original = file_bytes("assets/packs/lantern_docks.zrp");
    std::unique_ptr<Pack_info> read = read_pack_bytes(original.data(), original.size());
    ASSERT_TRUE(read);
    std::string text, problem;
    ASSERT_EQ(pack_text(authored_pack(*read), text, problem), 0) << problem;
    std::unique_ptr<Pack_info> saved = read_pack_bytes(text.data(), text.size());
    ASSERT_TRUE(saved);
    for (Level_info* level = saved->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(level->name);
        ASSERT_TRUE(level->has_solution);
        Replay_outcome outcome = replay_solution(game.state, *level, level->solution);
        EXPECT_TRUE(outcome.solved) << outcome.problem;
    }
}

TEST_F(EditorPlayTest, MovesThatDoNotSolveAreNotStored)
{
    const char* const cases[] = {">>", ">>><", ">>x>", ""};
    for (const char* moves : cases) {
        SCOPED_TRACE(moves);
        Authored_level level = editor_with("#######|#@-$-.#|#######").level;
        level.solution = "kept";
        std::string problem;
        EXPECT_EQ(store_tested_solution(game.state, level, moves, problem), -1);
        EXPECT_FALSE(problem.empty());
        EXPECT_EQ(level.solution, "kept");
    }
}

TEST(EditorVerdict, EachStateOfTheSearchHasItsLine)
{
    const struct {
        Verdict verdict;
        const char* text;
    } cases[] = {
        {{VERDICT_SEARCHING, 12345, 0, 0}, "Searching\u2026 12345 positions"},
        {{VERDICT_OPTIMAL, 0, 7, 0}, "Solvable in 7 pushes"},
        {{VERDICT_FOUND, 0, 31, 0}, "Solvable: a solution of 31 pushes found, optimum not yet proven"},
        {{VERDICT_UNSOLVABLE, 0, 0, 0}, "Unsolvable"},
        {{VERDICT_GAVE_UP, 0, 0, 9.6}, "Gave up after 10 s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(verdict_text(c.verdict), c.text);
}

TEST(EditorVerdict, AnOptimalSearchStoppedAfterASolutionSaysItWasFound)
{
    Solve_result stopped;
    stopped.status = SOLVE_UNPROVEN;
    stopped.pushes = 31;
    EXPECT_EQ(verdict_text(verdict_of(stopped, true)),
              "Solvable: a solution of 31 pushes found, optimum not yet proven");
}

TEST(EditorVerdict, AFinishedSearchGivesTheLineOfItsOutcome)
{
    const struct {
        const char* rows;
        const char* text;
    } cases[] = {
        {"#######|#@-$-.#|#######", "Solvable in 2 pushes"},
        {"#####|#$-.#|#-@-#|#####", "Unsolvable"},
    };
    for (const auto& c : cases) {
        Puzzle puzzle;
        ASSERT_EQ(puzzle_from_rows(rows_of(c.rows), puzzle), 0);
        EXPECT_EQ(verdict_text(verdict_of(solve_puzzle(puzzle), true)), c.text);
    }
}

class EditorSessionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string problem;
        ASSERT_EQ(open_editor_session(session, problem), 0) << problem;
        for (const char* name : {"B", "C"}) {
            ASSERT_EQ(session_add_level(session, session.pack.levels.size(), problem), 0) << problem;
            ASSERT_EQ(editor_set_name(session.editor, name, problem), 0);
        }
        ASSERT_EQ(session_select_level(session, 0, problem), 0);
        ASSERT_EQ(editor_set_name(session.editor, "A", problem), 0);
    }
    Editor_session session;
};

TEST_F(EditorSessionTest, ADrawnLevelEqualsTheSameLevelOpenedAsALink)
{
    const struct {
        int row, col;
        char piece;
    } strokes[] = {{0, 0, '#'}, {0, 1, '#'}, {0, 2, '#'}, {0, 3, '#'}, {1, 0, '#'}, {1, 1, '@'}, {1, 2, '.'},
                   {1, 2, '$'}, {1, 3, '#'}, {2, 0, '#'}, {2, 1, '#'}, {2, 2, '#'}, {2, 3, '#'}};
    for (const auto& s : strokes)
        editor_paint(session.editor, s.row, s.col, s.piece);
    Editor_session linked;
    std::string problem;
    ASSERT_EQ(open_editor_session(linked, problem), 0) << problem;
    ASSERT_EQ(session_open_link(linked, "editor.html#level=%23%23%23%23%7C%23%40*%23%7C%23%23%23%23", problem), 0)
        << problem;
    EXPECT_EQ(linked.editor.level.rows, session.editor.level.rows);
}

TEST_F(EditorSessionTest, TheLevelDrawnIsKeptWhenAnotherIsChosenAndWhenSaved)
{
    std::string problem, text;
    ASSERT_TRUE(editor_paint(session.editor, 0, 0, '#'));
    ASSERT_EQ(session_select_level(session, 2, problem), 0);
    ASSERT_TRUE(editor_paint(session.editor, 0, 1, '#'));
    ASSERT_EQ(session_save(session, text, problem), 0) << problem;
    std::unique_ptr<Pack_info> read = read_pack_bytes(text.data(), text.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->levels->layout[0][0], '#');
    EXPECT_EQ(read->levels->next->next->layout[0][1], '#');
}

TEST(EditorSession, TheLevelDrawnStaysDrawnWhenTheListChanges)
{
    const struct {
        size_t drawn; // of A, B, C
        bool move;    // else remove
        size_t from, to;
        size_t current;
        const char* name;
    } cases[] = {
        {0, true, 0, 2, 2, "A"},  {0, true, 2, 0, 1, "A"},  {0, true, 1, 2, 0, "A"},
        {2, true, 0, 2, 1, "C"},  {1, true, 2, 1, 2, "B"},  {0, false, 0, 0, 0, "B"},
        {0, false, 1, 0, 0, "A"}, {2, false, 0, 0, 1, "C"}, {2, false, 2, 0, 1, "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.move ? "move " : "remove ") + std::to_string(c.from) + ", drawn " +
                     std::to_string(c.drawn));
        Editor_session s;
        std::string problem;
        ASSERT_EQ(open_editor_session(s, problem), 0);
        s.pack.levels.clear();
        for (const char* name : {"A", "B", "C"}) {
            Authored_level level = blank_level();
            level.name = name;
            s.pack.levels.push_back(level);
        }
        editor_open(s.editor, s.pack.levels[0]);
        ASSERT_EQ(session_select_level(s, c.drawn, problem), 0);
        int rc = c.move ? session_move_level(s, c.from, c.to, problem) : session_remove_level(s, c.from, problem);
        ASSERT_EQ(rc, 0) << problem;
        EXPECT_EQ(s.current, c.current);
        EXPECT_EQ(s.editor.level.name, c.name);
        EXPECT_EQ(s.pack.levels[s.current].name, c.name);
    }
}

TEST_F(EditorSessionTest, AStoredSolutionIsSavedWithThePack)
{
    std::string problem, text;
    ASSERT_EQ(session_open_link(session, "#level=%23%23%23%23%23%23%7C%23%40%24-.%23%7C%23%23%23%23%23%23", problem),
              0);
    ASSERT_EQ(session_store_solution(session, ">>", problem), 0) << problem;
    ASSERT_EQ(session_save(session, text, problem), 0) << problem;
    std::unique_ptr<Pack_info> read = read_pack_bytes(text.data(), text.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->levels->solution, ">>");
}

} // namespace
