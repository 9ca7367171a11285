// The pack editor's portable core: painting and undo, the checks before a
// search, the dead cells, the level link, the pack's list of levels, the
// pack writer read back by the game's own reader, and play-tested solutions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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
#include "tools/authoring/solver.h"
#include "tools/authoring/tested_solution.h"
#include "tools/authoring/tool_game.h"
#include "tools/authoring/verdict_text.h"

namespace
{

using testing::AllOf;
using testing::ElementsAre;
using testing::Field;
using testing::FieldsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

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
    EXPECT_TRUE(editor_paint(editor, 1, 3, '@'));
    EXPECT_EQ(editor.level.rows[1].substr(0, 7), "#.-@--#");
}

TEST(EditorPaint, NoPieceOrNoCellChangesNothing)
{
    const struct {
        const char* what;
        int row, col;
        char piece;
    } cases[] = {{"unknown piece", 1, 1, 'x'},    {"no piece", 1, 1, '\0'},           {"above the board", -1, 0, '#'},
                 {"below the board", 16, 0, '#'}, {"right of the board", 0, 20, '#'}, {"the same piece", 1, 1, '@'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Level_editor editor = editor_with(ROOM);
        EXPECT_FALSE(editor_paint(editor, c.row, c.col, c.piece));
        EXPECT_EQ(editor.level.rows, full_rows(ROOM));
        EXPECT_FALSE(editor_undo(editor));
    }
}

TEST(EditorHistory, AStrokeIsUndoneAsOneEdit)
{
    Level_editor editor = editor_with(ROOM);
    editor_paint(editor, 1, 3, '#');
    editor_begin_stroke(editor);
    for (int col = 0; col < 6; ++col)
        editor_paint(editor, 3, col, '#');
    editor_end_stroke(editor);
    EXPECT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.rows, full_rows("######|#@$#.#|######"));
}

TEST(EditorOpen, RowsLongerThanTheBoardAreCut)
{
    const std::string rows = std::string(25, '#') + "|#@$.#";
    EXPECT_EQ(editor_with(rows).level.rows, full_rows(std::string(20, '#') + "|#@$.#"));
}

// The stored solution belongs to the layout it solves.
TEST(EditorSolution, ALayoutChangeDropsTheSolutionUntilUndone)
{
    Level_editor editor = editor_with(ROOM);
    editor.level.solution = ">>";
    editor_paint(editor, 1, 3, '.');
    EXPECT_EQ(editor.level.solution, "");
    editor_undo(editor);
    EXPECT_EQ(editor.level.solution, ">>");
}

TEST(EditorFields, ValuesTheWriterCannotWriteAreRefused)
{
    using Set = int (*)(Level_editor&, std::string&);
    const struct {
        Set set;
        const char* reason;
    } cases[] = {
        {[](Level_editor& e, std::string& p) { return editor_set_name(e, std::string(80, 'n'), p); }, "at most 79"},
        {[](Level_editor& e, std::string& p) { return editor_set_name(e, "two\nlines", p); }, "line end"},
        {[](Level_editor& e, std::string& p) { return editor_set_reference(e, REF_WALL, "a b", p); }, "one word"},
        {[](Level_editor& e, std::string& p) { return editor_set_about(e, {"a\nend of it\n"}, p); }, "\"end\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        Level_editor editor = editor_with(ROOM);
        std::string problem;
        EXPECT_EQ(c.set(editor, problem), -1);
        EXPECT_THAT(problem, HasSubstr(c.reason));
        EXPECT_THAT(std::make_tuple(editor.level.name, editor.level.references[REF_WALL], editor.level.about),
                    FieldsAre("test", "Untitled", IsEmpty()));
        EXPECT_FALSE(editor_undo(editor));
    }
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
        for (const Level_problem& p : level_problems(rows_of(c.rows)))
            found.push_back(p.fault);
        EXPECT_EQ(found, c.faults);
    }
}

TEST(EditorChecks, AnOpenCellIsNamedByItsRowAndColumn)
{
    EXPECT_THAT(level_problems(rows_of("######|#@$-.#|#-####|# ####|######")),
                ElementsAre(AllOf(Field(&Level_problem::cells, ElementsAre(2 * 20 + 1)),
                                  Field(&Level_problem::message, HasSubstr("row 3, column 2")))));
}

TEST(EditorChecks, DeadCellsAreTheFloorNoTreasureLeavesForABank)
{
    std::vector<bool> dead = level_dead_cells(rows_of("######|#-.--#|#-$@-#|#----#|######"));
    std::vector<int> marked;
    for (size_t i = 0; i < dead.size(); ++i)
        if (dead[i]) marked.push_back(static_cast<int>(i));
    // The corners, the side columns and the bottom row; walls are never marked.
    EXPECT_THAT(marked, ElementsAre(21, 24, 41, 44, 61, 62, 63, 64));
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
    for (const auto& c : cases)
        EXPECT_EQ(encode_level_rows(rows_of(c.rows)), c.encoded) << c.rows;
}

TEST(EditorLink, EachLinkFormDecodesToTheFullRows)
{
    const char* const links[] = {
        "editor.html#level=%23%23%23%7C%23%40%24.%23",
        "level=%23%23%23%7c%23%40%24.%23",
        "###|#@$.#",
        "%23%23%23%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%20%7C%23%40%24.%23",
    };
    for (const char* link : links) {
        SCOPED_TRACE(link);
        std::vector<std::string> rows;
        std::string problem;
        EXPECT_EQ(decode_level_link(link, rows, problem), 0) << problem;
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
        EXPECT_THAT(problem, HasSubstr(c.reason));
        EXPECT_THAT(rows, ElementsAre("kept"));
    }
}

// A pack of levels A, B and C.
Authored_pack pack_abc()
{
    Authored_pack pack = new_pack();
    pack.levels.clear();
    for (const char* name : {"A", "B", "C"}) {
        pack.levels.push_back(blank_level());
        pack.levels.back().name = name;
    }
    return pack;
}

std::vector<std::string> level_names(const Authored_pack& pack)
{
    std::vector<std::string> names;
    for (const Authored_level& level : pack.levels)
        names.push_back(level.name);
    return names;
}

enum Edit_kind { ADD, MOVE, REMOVE, RENAME };
struct Pack_edit {
    const char* what;
    Edit_kind kind;
    size_t at, to;
};

int edit_pack(Authored_pack& pack, const Pack_edit& edit, std::string& problem)
{
    switch (edit.kind) {
    case ADD: return pack_add_level(pack, edit.at, blank_level(), problem);
    case MOVE: return pack_move_level(pack, edit.at, edit.to, problem);
    case REMOVE: return pack_remove_level(pack, edit.at, problem);
    case RENAME: return pack_rename_level(pack, edit.at, "Z", problem);
    }
    return 0;
}

TEST(EditorPack, EachListEditGivesTheOrderAsked)
{
    const struct {
        Pack_edit edit;
        std::vector<std::string> names;
    } cases[] = {
        {{"add at 1", ADD, 1, 0}, {"A", "New level", "B", "C"}},
        {{"add at the end", ADD, 3, 0}, {"A", "B", "C", "New level"}},
        {{"move 0 to 2", MOVE, 0, 2}, {"B", "C", "A"}},
        {{"move 2 to 0", MOVE, 2, 0}, {"C", "A", "B"}},
        {{"remove 1", REMOVE, 1, 0}, {"A", "C"}},
        {{"rename 2", RENAME, 2, 0}, {"A", "B", "Z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit.what);
        Authored_pack pack = pack_abc();
        std::string problem;
        EXPECT_EQ(edit_pack(pack, c.edit, problem), 0) << problem;
        EXPECT_EQ(level_names(pack), c.names);
    }
}

TEST(EditorPack, ARefusedEditNamesTheMissingLevel)
{
    Authored_pack pack = pack_abc();
    std::string problem;
    EXPECT_EQ(edit_pack(pack, {"move past the end", MOVE, 0, 3}, problem), -1);
    EXPECT_EQ(problem, "the pack has no level 4");
}

TEST(EditorPack, TypedAboutTextIsKeptAsTheReaderWouldKeepIt)
{
    Authored_pack pack = new_pack();
    std::string problem;
    EXPECT_EQ(pack_set_about(pack, {"one\r\ntwo"}, problem), 0) << problem;
    EXPECT_THAT(pack.about, ElementsAre("one\ntwo\n"));
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
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"a BigTile wins a name over an earlier Tile; missing pixels are 0",
         "Zandrek Pack\nTile:\nName: Brick\nWidth: 3\nHeight: 2\nImagery:\n1 0 7\nend\nend\n"
         "BigTile:\nName: Brick\nWidth: 2\nHeight: 3\nImagery:\n0 4\n9\nend\nend\n"
         "Level:\nWall: Brick\nLayout:\n###\n#@#\n###\nend\nend\n"},
        {"8-bit samples, negative ones, and a sound without data",
         "Zandrek Pack\nSound:\nName: Bell\nSpeed: 11025\nSampleSize: 8\nNumSamples: 5\nData:\nijAhg\nend\nend\n"
         "Sound:\nName: Quiet\nSpeed: 8000\nNumSamples: 3\nend\n"
         "Sound:\nName: Loud\nSpeed: 22050\nSampleSize: 16\nNumSamples: 3\nData:\nZyeffhj\nend\nend\n"
         "Level:\nSolved: Bell\nStart: Loud\nLayout:\n###\n#+#\n###\nend\nend\n"},
        {"longest names and lines, an empty Solution, About blocks",
         "Zandrek Pack\nName: " + long_name + "\nAbout:\n" + long_line + "\n\n  indented\nend\n" +
             "Level:\nName: " + long_name + "\nSolution:\nend\nAbout:\nfirst\nend\nAbout:\nsecond\nend\n" +
             "Layout:\n  ####\n  #@$.#\n  #####\nend\nend\n"},
        {"a solution that ends in the letters of an end line",
         "Zandrek Pack\nLevel:\nSolution:\n" + std::string(59, '>') + "\n>end\nend\nLayout:\n#\nend\nend\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_round_trip(c.text);
    }
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
             p.tiles.push_back({"T", 2, 2, {1, 2, 3}});
         },
         "width and height"},
        {[](Authored_pack& p) {
             p.tiles.push_back({"T", 100, 1, std::vector<uint8_t>(100, 200)});
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
        EXPECT_THAT(problem, HasSubstr(c.reason));
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
        EXPECT_EQ(sample_number_text(c.sample, c.size), c.text) << c.sample << " in " << c.size << " bits";
}

class EditorPlayTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }
    Tool_game game;
    Authored_level corridor = editor_with("#######|#@-$-.#|#######").level;
};

TEST_F(EditorPlayTest, MovesThatDoNotSolveAreNotStored)
{
    for (const char* moves : {">>", ">>><", ">>x>", ""}) {
        SCOPED_TRACE(moves);
        corridor.solution = "kept";
        std::string problem;
        EXPECT_EQ(store_tested_solution(game.state, corridor, moves, problem), -1);
        EXPECT_THAT(std::make_tuple(problem, corridor.solution), FieldsAre(Not(IsEmpty()), "kept"));
    }
}

TEST(EditorVerdict, EachOutcomeOfAnOptimalSearchGivesItsLine)
{
    const struct {
        Solve_status status;
        const char* text;
    } cases[] = {{SOLVE_FOUND, "Solvable in 31 pushes"},
                 {SOLVE_NONE, "Unsolvable"},
                 {SOLVE_UNPROVEN, "Solvable: a solution of 31 pushes found, optimum not yet proven"},
                 {SOLVE_GAVE_UP, "Gave up after 10 s"}};
    for (const auto& c : cases) {
        Solve_result result;
        result.status = c.status;
        result.pushes = 31;
        result.seconds = 9.6;
        EXPECT_EQ(verdict_text(verdict_of(result, true)), c.text);
    }
}

// A session on a pack of levels A, B and C, drawing A.
class EditorSessionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string problem;
        ASSERT_EQ(open_editor_session(session, problem), 0) << problem;
        draw_a();
    }
    void draw_a()
    {
        session.pack = pack_abc();
        session.current = 0;
        editor_open(session.editor, session.pack.levels[0]);
    }
    Editor_session session;
};

TEST_F(EditorSessionTest, TheLevelDrawnStaysDrawnWhenTheListChanges)
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
        draw_a();
        std::string problem;
        EXPECT_EQ(session_select_level(session, c.drawn, problem), 0);
        EXPECT_EQ(c.move ? session_move_level(session, c.from, c.to, problem)
                         : session_remove_level(session, c.from, problem),
                  0)
            << problem;
        EXPECT_THAT(
            std::make_tuple(session.current, session.editor.level.name, session.pack.levels.at(session.current).name),
            FieldsAre(c.current, c.name, c.name));
    }
}

} // namespace
