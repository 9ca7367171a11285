// The pack editor's portable core: painting, the checks before a search, the
// level link, the pack's list of levels, and the writer read back by the game.
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
#include "tools/authoring/verdict_text.h"

namespace
{

using testing::ElementsAre;
using testing::HasSubstr;

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
    const struct {
        const char *where, *before;
        int row, col;
        const char* after;
    } cases[] = {
        {"in the row he is placed in", "#######|#+--@-#|#######", 1, 3, "#######|#.-@--#|#######"},
        {"in the grid's top row", "@-----|#-$-.#|######", 1, 1, "------|#@$-.#|######"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        Level_editor editor = editor_with(c.before);
        EXPECT_TRUE(editor_paint(editor, c.row, c.col, '@'));
        EXPECT_EQ(editor.level.rows, full_rows(c.after));
    }
}

// A stored solution, even an empty one, belongs to the layout it solved.
TEST(EditorPaint, ANewLayoutDropsTheStoredSolution)
{
    for (const char* solution : {">", ""}) {
        Level_editor editor = editor_with(ROOM);
        editor.level.solution = solution;
        editor.level.empty_solution = !*solution;
        editor_paint(editor, 1, 3, '$');
        EXPECT_THAT(std::make_tuple(editor.level.solution, editor.level.empty_solution), testing::FieldsAre("", false))
            << "solution [" << solution << "]";
    }
}

TEST(EditorPaint, NoPieceOrNoCellChangesNothing)
{
    const struct {
        const char* what;
        int row, col;
        char piece;
    } cases[] = {{"unknown piece", 1, 1, 'x'},    {"no piece", 1, 1, '\0'},           {"above the board", -1, 0, '#'},
                 {"below the board", 16, 0, '#'}, {"right of the board", 1, 20, '@'}, {"left of the board", 0, -1, '#'},
                 {"the same piece", 1, 1, '@'}};
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
    editor_begin_stroke(editor);
    editor_paint(editor, 1, 3, '#');
    editor_paint(editor, 1, 4, '#');
    editor_end_stroke(editor);
    EXPECT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.rows, full_rows(ROOM));
    EXPECT_FALSE(editor_undo(editor));
}

TEST(EditorHistory, APaintAfterAStrokeIsAnEditOfItsOwn)
{
    Level_editor editor = editor_with(ROOM);
    editor_begin_stroke(editor);
    editor_paint(editor, 1, 3, '#');
    editor_end_stroke(editor);
    const std::vector<std::string> stroked = editor.level.rows;
    editor_paint(editor, 1, 4, '#');
    EXPECT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.rows, stroked);
}

TEST(EditorHistory, RedoPutsBackWhatUndoTook)
{
    Level_editor editor = editor_with(ROOM);
    editor_paint(editor, 1, 3, '#');
    const std::vector<std::string> painted = editor.level.rows;
    editor_undo(editor);
    EXPECT_TRUE(editor_redo(editor));
    EXPECT_EQ(editor.level.rows, painted);
    EXPECT_FALSE(editor_redo(editor));
}

TEST(EditorHistory, ARedoneEditCanBeUndoneAgain)
{
    Level_editor editor = editor_with(ROOM);
    editor_paint(editor, 1, 3, '#');
    editor_undo(editor);
    editor_redo(editor);
    EXPECT_TRUE(editor_undo(editor));
    EXPECT_EQ(editor.level.rows, full_rows(ROOM));
}

// A stroke still being drawn is already a new edit: nothing undone before it can come back.
TEST(EditorHistory, ARedoDuringAStrokeFindsNothingToRedo)
{
    Level_editor editor = editor_with(ROOM);
    editor_paint(editor, 1, 3, '#');
    editor_undo(editor);
    editor_begin_stroke(editor);
    editor_paint(editor, 1, 4, '#');
    const std::vector<std::string> stroked = editor.level.rows;
    EXPECT_FALSE(editor_redo(editor));
    EXPECT_EQ(editor.level.rows, stroked);
}

// A stroke begun while another is open (a button let go outside the page)
// ends that one first: each comes back with its own undo.
TEST(EditorHistory, ANewStrokeEndsTheOneLeftOpen)
{
    Level_editor editor = editor_with(ROOM);
    editor_begin_stroke(editor);
    editor_paint(editor, 1, 3, '#');
    const std::vector<std::string> first = editor.level.rows;
    editor_begin_stroke(editor);
    editor_paint(editor, 1, 4, '#');
    editor_end_stroke(editor);
    std::vector<std::vector<std::string>> undone;
    while (editor_undo(editor))
        undone.push_back(editor.level.rows);
    EXPECT_THAT(undone, ElementsAre(first, full_rows(ROOM)));
}

TEST(EditorHistory, OpeningALevelStartsItsHistoryAfresh)
{
    Level_editor editor = editor_with(ROOM);
    editor_paint(editor, 1, 3, '#');
    editor_open(editor, editor.level);
    EXPECT_FALSE(editor_undo(editor));
}

TEST(EditorHistory, UndoGoesBackThroughTheLast500EditsAtMost)
{
    Level_editor editor = editor_with(ROOM);
    for (int i = 0; i <= 500; ++i)
        editor_paint(editor, 1, 3, i % 2 ? '-' : '#');
    int undone = 0;
    while (editor_undo(editor))
        ++undone;
    EXPECT_EQ(undone, 500);
    EXPECT_EQ(editor.level.rows[1][3], '#'); // as the first edit left it
}

using Field_edit = int (*)(Level_editor&, std::string&);

// The writer's own rules, so that nothing typed fails later at saving.
TEST(EditorFields, ARefusedEditLeavesTheLevelAsItWas)
{
    const struct {
        const char* what;
        Field_edit edit;
        const char* why;
    } rows[] = {
        {"a name too long", [](Level_editor& e, std::string& p) { return editor_set_name(e, std::string(80, 'x'), p); },
         "a name has at most 79 characters"},
        {"a name of two lines", [](Level_editor& e, std::string& p) { return editor_set_name(e, "a\nb", p); },
         "the name cannot be written: "},
        {"a reference of two words",
         [](Level_editor& e, std::string& p) { return editor_set_reference(e, REF_WALL, "two words", p); },
         "a tile or sound name is one word, without blanks"},
        {"no such reference",
         [](Level_editor& e, std::string& p) { return editor_set_reference(e, REF_COUNT, "Brick", p); },
         "no such tile or sound reference"},
        {"an About line ending the text",
         [](Level_editor& e, std::string& p) {
             return editor_set_about(e, {"fine", "one\nend it"}, p);
         },
         "About line 2 begins with \"end\", which would end the text there; begin it with another word"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Level_editor editor = editor_with(ROOM);
        const Authored_level before = editor.level;
        std::string problem;
        EXPECT_EQ(r.edit(editor, problem), -1);
        EXPECT_THAT(problem, testing::StartsWith(r.why));
        EXPECT_EQ(std::tie(editor.level.name, editor.level.references, editor.level.about),
                  std::tie(before.name, before.references, before.about));
        EXPECT_FALSE(editor_undo(editor));
    }
}

TEST(EditorFields, EveryReferenceTakesAName)
{
    Level_editor editor = editor_with(ROOM);
    std::string problem;
    for (int which = 0; which < REF_COUNT; ++which) {
        EXPECT_EQ(editor_set_reference(editor, static_cast<Level_reference>(which), "Gem", problem), 0) << problem;
        EXPECT_EQ(editor.level.references[which], "Gem") << which;
    }
}

TEST(EditorFields, EachAcceptedFieldEditIsUndoneOnItsOwn)
{
    Level_editor editor = editor_with(ROOM);
    std::string problem;
    ASSERT_EQ(editor_set_name(editor, "Quay", problem), 0);
    ASSERT_EQ(editor_set_reference(editor, REF_WALL, "Brick", problem), 0);
    ASSERT_EQ(editor_set_about(editor, {"one\r\ntwo"}, problem), 0);
    EXPECT_THAT(std::make_tuple(editor.level.name, editor.level.references[REF_WALL], editor.level.about),
                testing::FieldsAre("Quay", "Brick", ElementsAre("one\ntwo\n")));
    editor_undo(editor);
    editor_undo(editor);
    EXPECT_THAT(std::make_tuple(editor.level.name, editor.level.references[REF_WALL], editor.level.about),
                testing::FieldsAre("Quay", "Untitled", ElementsAre()));
}

TEST(EditorFields, AnEmptyReferenceGoesBackToTheStandardOne)
{
    Level_editor editor = editor_with(ROOM);
    std::string problem;
    editor_set_reference(editor, REF_START_SOUND, "Chime", problem);
    ASSERT_EQ(editor_set_reference(editor, REF_START_SOUND, "", problem), 0);
    EXPECT_EQ(editor.level.references[REF_START_SOUND], "Untitled");
}

TEST(EditorPack, ThePacksOwnFieldsKeepTheWritersRules)
{
    Authored_pack pack = new_pack();
    std::string problem;
    EXPECT_EQ(pack_set_name(pack, std::string(80, 'x'), problem), -1);
    EXPECT_EQ(pack_set_about(pack, {"endless"}, problem), -1);
    EXPECT_EQ(pack_set_name(pack, "Docks", problem), 0);
    EXPECT_EQ(pack_set_about(pack, {"Six quays"}, problem), 0);
    EXPECT_THAT(std::make_tuple(pack.name, pack.about), testing::FieldsAre("Docks", ElementsAre("Six quays\n")));
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

// Cells are named by row and column counted from 1.
TEST(EditorChecks, EachFaultIsToldWithTheCellsItOutlines)
{
    const struct {
        const char* rows;
        Level_fault fault;
        const char* text;
        std::vector<int> cells;
    } cases[] = {
        {"#######|#@$-.@#|#######",
         FAULT_ZANDREK_COUNT,
         "There are 2 Zandreks; a level has exactly one.",
         {LEVEL_COLS + 1, LEVEL_COLS + 5}},
        {"######|#-$-.#|######", FAULT_ZANDREK_COUNT, "There is no Zandrek.", {}},
        {"######|#@--.#|######", FAULT_NO_TREASURE, "There is no treasure.", {}},
        {"#######|#@$$.#|#######", FAULT_FEW_BANKS, "There are more treasures (2) than banks (1).", {}},
        {"#####|#@$.-|#####",
         FAULT_OPEN_CELL,
         "The cell at row 2, column 5 is open: it lies on the border or beside a space.",
         {LEVEL_COLS + 4}},
        {"#####|-@$.-|#####",
         FAULT_OPEN_CELL,
         "2 cells are open: they lie on the border or beside a space (the first at row 2, column 1).",
         {LEVEL_COLS, LEVEL_COLS + 4}},
    };
    for (const auto& c : cases)
        EXPECT_THAT(level_problems(rows_of(c.rows)),
                    ElementsAre(testing::FieldsAre(c.fault, c.text, testing::ElementsAreArray(c.cells))))
            << c.rows;
}

TEST(EditorPaint, TheGridsCornersTakePaint)
{
    Level_editor editor = editor_with(ROOM);
    const bool top_left = editor_paint(editor, 0, 0, '.'), bottom_right = editor_paint(editor, 15, 19, '.');
    EXPECT_THAT(std::make_tuple(top_left, bottom_right, editor.level.rows[0][0], editor.level.rows[15][19]),
                testing::FieldsAre(true, true, '.', '.'));
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

TEST(EditorLink, EachLinkFormDecodesToTheFullRows)
{
    const char* const links[] = {
        "editor.html#level=%23%23%23%7C%23%40%2A.%23",
        "editor.html#level=%23%23%23%7c%23%40%2a.%23", // escapes in small letters
        "level=%23%23%23%7C%23%40%2A.%23",             // the key without the page
        "###|#@*.#",
    };
    for (const char* link : links) {
        SCOPED_TRACE(link);
        std::vector<std::string> rows;
        std::string problem;
        EXPECT_EQ(decode_level_link(link, rows, problem), 0) << problem;
        EXPECT_EQ(rows, full_rows("###|#@*.#"));
    }
}

TEST(EditorLink, ALinkEscapesTheRowsAsTheBrowserWould)
{
    EXPECT_EQ(level_link(full_rows("###|#@$.#")), "editor.html#level=%23%23%23%7C%23%40%24.%23");
    EXPECT_EQ(level_link(full_rows("#-.$*+ #")), "editor.html#level=%23-.%24*%2B%20%23");
}

TEST(EditorLink, ABlankBoardLinksToNoRows)
{
    EXPECT_EQ(level_link(full_rows("")), "editor.html#level=");
}

TEST(EditorLink, BadLinksAreRefusedWithTheReason)
{
    const struct {
        std::string link;
        const char* reason;
    } cases[] = {
        {"#level=%23%2", "% escape at character 4"}, // counted in the rows the link carries
        {"#level=%zz", "% escape at character 1"},
        {"#level=", "no level"},
        {"#level=" + std::string(21, '#'), "longer than 20"},
        {"#level=" + std::string(16, '|') + "#", "more than 16 rows"},
        {"#level=#" + std::string(16, '|'), "more than 16 rows"}, // empty rows past the sixteenth count too
        {"#level=##x#", "row 1, column 3 of the link holds 'x', which is no piece"},
        {"#level=%23%00", "row 1, column 2 of the link holds '?', which is no piece"},
        {"#level=%39", "row 1, column 1 of the link holds '9', which is no piece"},
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

using Pack_edit = int (*)(Authored_pack&, std::string&);

TEST(EditorPack, EachListEditGivesTheOrderAsked)
{
    const struct {
        const char* what;
        Pack_edit edit;
        std::vector<std::string> names;
    } cases[] = {
        {"add at 1",
         [](Authored_pack& p, std::string& e) { return pack_add_level(p, 1, blank_level(), e); },
         {"A", "New level", "B", "C"}},
        {"add at the end",
         [](Authored_pack& p, std::string& e) { return pack_add_level(p, 3, blank_level(), e); },
         {"A", "B", "C", "New level"}},
        {"move 0 to 2", [](Authored_pack& p, std::string& e) { return pack_move_level(p, 0, 2, e); }, {"B", "C", "A"}},
        {"move 2 to 0", [](Authored_pack& p, std::string& e) { return pack_move_level(p, 2, 0, e); }, {"C", "A", "B"}},
        {"remove 1", [](Authored_pack& p, std::string& e) { return pack_remove_level(p, 1, e); }, {"A", "C"}},
        {"rename 2", [](Authored_pack& p, std::string& e) { return pack_rename_level(p, 2, "Z", e); }, {"A", "B", "Z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Authored_pack pack = pack_abc();
        std::string problem;
        EXPECT_EQ(c.edit(pack, problem), 0) << problem;
        EXPECT_EQ(level_names(pack), c.names);
    }
}

TEST(EditorPack, ANewPackIsNamedWithOneLevel)
{
    const Authored_pack pack = new_pack();
    EXPECT_EQ(std::make_tuple(pack.name, pack.levels.size()), std::make_tuple(std::string("New pack"), size_t{1}));
}

TEST(EditorSession, ASessionOpensOnANewPack)
{
    Editor_session session;
    std::string problem;
    EXPECT_EQ(open_editor_session(session, problem), 0) << problem;
    EXPECT_EQ(session.pack.name, "New pack");
}

TEST(EditorSession, ASessionWithoutItsMapIsRefused)
{
    Editor_session session;
    std::string problem;
    EXPECT_EQ(open_editor_session(session, problem, "no/such/Zandrek.map"), -1);
    EXPECT_THAT(problem, testing::Not(testing::IsEmpty()));
}

TEST(EditorSession, ADamagedPackLeavesTheOpenPackAsItWas)
{
    Editor_session session;
    session.pack = new_pack();
    std::string problem;
    EXPECT_EQ(session_open_pack(session, "Level 1\n", "broken.zrp", problem), -1);
    EXPECT_EQ(session.pack.name, "New pack");
    EXPECT_THAT(problem, testing::HasSubstr("broken.zrp"));
}

TEST(EditorSession, ALinkOpensAsTheOneLevelOfANewPack)
{
    Editor_session session;
    std::string problem;
    EXPECT_EQ(session_open_link(session, "#level=%23%23%23%7C%23%40%24.%23", problem), 0);
    EXPECT_THAT(std::make_tuple(session.pack.levels.size(), session.editor.level.name, session.editor.level.rows),
                testing::FieldsAre(1u, "Shared level", full_rows("###|#@$.#")));
}

using Session_edit = int (*)(Editor_session&, std::string&);

// The pack of A, B and C opened in the session as the page opens a file.
void open_abc_file(Editor_session& session)
{
    std::string text, problem;
    ASSERT_EQ(pack_text(pack_abc(), text, problem), 0) << problem;
    ASSERT_EQ(session_open_pack(session, text, "abc.zrp", problem), 0) << problem;
}

// A session opened on A, B and C, drawing level `drawn`.
void open_abc(Editor_session& session, size_t drawn)
{
    open_abc_file(session);
    std::string problem;
    ASSERT_EQ(session_select_level(session, drawn, problem), 0) << problem;
}

TEST(EditorSession, AnOpenedPackShowsItsFirstLevel)
{
    Editor_session session;
    open_abc(session, 2);
    open_abc_file(session);
    EXPECT_EQ(session.editor.level.name, "A");
}

// Edits to the list of a session drawing B of A, B, C (or C, where a row says so).
TEST(EditorSession, TheLevelDrawnFollowsEachListEdit)
{
    const struct {
        const char* what;
        size_t drawn_first;
        Session_edit edit;
        int result;
        std::string drawn;
        size_t position;
    } rows[] = {
        {"remove one before", 1, [](Editor_session& s, std::string& e) { return session_remove_level(s, 0, e); }, 0,
         "B", 0},
        {"remove the one drawn", 1, [](Editor_session& s, std::string& e) { return session_remove_level(s, 1, e); }, 0,
         "C", 1},
        {"remove one after", 1, [](Editor_session& s, std::string& e) { return session_remove_level(s, 2, e); }, 0, "B",
         1},
        {"remove the last, drawn", 2, [](Editor_session& s, std::string& e) { return session_remove_level(s, 2, e); },
         0, "B", 1},
        {"remove a missing level", 1, [](Editor_session& s, std::string& e) { return session_remove_level(s, 3, e); },
         -1, "B", 1},
        {"move the one drawn", 1, [](Editor_session& s, std::string& e) { return session_move_level(s, 1, 2, e); }, 0,
         "B", 2},
        {"move one from before to after", 1,
         [](Editor_session& s, std::string& e) { return session_move_level(s, 0, 2, e); }, 0, "B", 0},
        {"move one from after to before", 1,
         [](Editor_session& s, std::string& e) { return session_move_level(s, 2, 0, e); }, 0, "B", 2},
        {"move one from before into the drawn one's place", 1,
         [](Editor_session& s, std::string& e) { return session_move_level(s, 0, 1, e); }, 0, "B", 0},
        {"move one from after into the drawn one's place", 1,
         [](Editor_session& s, std::string& e) { return session_move_level(s, 2, 1, e); }, 0, "B", 2},
        {"move one after to after", 1, [](Editor_session& s, std::string& e) { return session_move_level(s, 2, 2, e); },
         0, "B", 1},
        {"move to a missing place", 1, [](Editor_session& s, std::string& e) { return session_move_level(s, 0, 3, e); },
         -1, "B", 1},
        {"add before", 1, [](Editor_session& s, std::string& e) { return session_add_level(s, 0, e); }, 0, "New level",
         0},
        {"add beyond the end", 1, [](Editor_session& s, std::string& e) { return session_add_level(s, 4, e); }, -1, "B",
         1},
        {"choose a missing level", 1, [](Editor_session& s, std::string& e) { return session_select_level(s, 3, e); },
         -1, "B", 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Editor_session session;
        open_abc(session, r.drawn_first);
        std::string problem;
        EXPECT_EQ(r.edit(session, problem), r.result);
        EXPECT_EQ(std::make_tuple(session.editor.level.name, session.current), std::make_tuple(r.drawn, r.position));
    }
}

TEST(EditorSession, TheLevelDrawnGoesBackIntoThePackOnAChoice)
{
    Editor_session session;
    open_abc(session, 1);
    std::string problem;
    session.editor.level.name = "B, edited";
    EXPECT_EQ(session_select_level(session, 0, problem), 0);
    EXPECT_THAT(level_names(session.pack), testing::ElementsAre("A", "B, edited", "C"));
}

TEST(EditorSession, TheLevelDrawnIsSavedWithItsEdits)
{
    Editor_session session;
    open_abc(session, 1);
    session.editor.level.name = "B, edited";
    std::string text, problem;
    ASSERT_EQ(session_save(session, text, problem), 0) << problem;
    EXPECT_THAT(text, HasSubstr("\nName: B, edited\n"));
}

TEST(EditorPack, APackHoldsAtMost99Levels)
{
    Authored_pack pack = new_pack();
    std::string problem;
    pack.levels.resize(98);
    EXPECT_EQ(pack_add_level(pack, 0, blank_level(), problem), 0) << problem;
    EXPECT_EQ(pack_add_level(pack, 0, blank_level(), problem), -1);
    EXPECT_THAT(std::make_tuple(pack.levels.size(), problem),
                testing::FieldsAre(99u, "a pack holds at most 99 levels"));
}

TEST(EditorPack, ThePacksLastLevelStays)
{
    Authored_pack pack = new_pack();
    std::string problem;
    EXPECT_EQ(pack_remove_level(pack, 0, problem), -1);
    EXPECT_THAT(std::make_tuple(pack.levels.size(), problem),
                testing::FieldsAre(1u, "a pack needs at least one level"));
}

TEST(EditorPack, ARenameTheWriterRefusesKeepsTheOldName)
{
    Authored_pack pack = pack_abc();
    std::string problem;
    EXPECT_EQ(pack_rename_level(pack, 1, "two\nlines", problem), -1);
    EXPECT_THAT(std::make_tuple(level_names(pack), problem),
                testing::FieldsAre(ElementsAre("A", "B", "C"), HasSubstr("the name cannot be written")));
}

TEST(EditorPack, ARefusedEditNamesTheMissingLevel)
{
    using Edit = int (*)(Authored_pack&, std::string&);
    const std::tuple<const char*, Edit, const char*> rows[] = {
        {"move", [](Authored_pack& p, std::string& why) { return pack_move_level(p, 0, 3, why); },
         "the pack has no level 4"},
        {"remove", [](Authored_pack& p, std::string& why) { return pack_remove_level(p, 3, why); },
         "the pack has no level 4"},
        {"rename", [](Authored_pack& p, std::string& why) { return pack_rename_level(p, 3, "Fourth", why); },
         "the pack has no level 4"},
        {"add", [](Authored_pack& p, std::string& why) { return pack_add_level(p, 4, Authored_level{}, why); },
         "no place 5 in the pack"},
    };
    for (const auto& [what, edit, problem] : rows) {
        SCOPED_TRACE(what);
        Authored_pack pack = pack_abc();
        std::string why;
        EXPECT_EQ(edit(pack, why), -1);
        EXPECT_EQ(why, problem);
    }
}

// The line the editor shows for a finished search, from each way it can end.
TEST(EditorVerdict, EachEndOfASearchHasItsLine)
{
    const std::tuple<Solve_status, bool, const char*> rows[] = {
        {SOLVE_FOUND, true, "Solvable in 6 pushes"},
        {SOLVE_FOUND, false, "Solvable: a solution of 6 pushes found, optimum not yet proven"},
        {SOLVE_UNPROVEN, true, "Solvable: a solution of 6 pushes found, optimum not yet proven"},
        {SOLVE_NONE, true, "Unsolvable"},
        {SOLVE_GAVE_UP, true, "Gave up after 30 s"},
    };
    for (const auto& [status, optimal, line] : rows) {
        Solve_result result;
        result.status = status;
        result.pushes = 6;
        result.seconds = 29.6;
        EXPECT_EQ(verdict_text(verdict_of(result, optimal)), line) << status << (optimal ? " optimal" : "");
    }
    Verdict searching;
    searching.positions = 1234;
    EXPECT_EQ(verdict_text(searching), "Searching\u2026 1234 positions");
}

// Five bits a character, low bits first, the last character 32 or more; the
// value doubled, its lowest bit the sign. An 8-bit sample is written as a 256th.
TEST(EditorWriter, ASampleIsWrittenInTheFewestCharacters)
{
    const std::tuple<int16_t, int, const char*> rows[] = {
        {0, 16, "g"},
        {-15, 16, "_"},
        {16, 16, "Ah"},
        {-256, 8, "j"},
    };
    for (const auto& [sample, size, text] : rows)
        EXPECT_EQ(sample_number_text(sample, size), text) << sample << " of size " << size;
}

TEST(EditorWriter, TheSamplePackRoundTripsThroughTheGamesReader)
{
    std::ifstream in("assets/packs/lantern_docks.zrp", std::ios::binary);
    const std::string original{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(original.empty());
    expect_round_trip(original);
}

TEST(EditorWriter, UnusualRecordsRoundTripThroughTheGamesReader)
{
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"a BigTile wins a name over an earlier Tile; missing pixels are 0",
         "Zandrek Pack\nTile:\nName: Brick\nWidth: 3\nHeight: 2\nImagery:\n1 0 7\nend\nend\n"
         "BigTile:\nName: Brick\nWidth: 2\nHeight: 3\nImagery:\n0 4\n9 1\nend\nend\n"
         "Level:\nWall: Brick\nLayout:\n###\n#@#\n###\nend\nend\n"},
        {"8-bit samples, negative ones, and a sound without data",
         "Zandrek Pack\nSound:\nName: Bell\nSpeed: 11025\nSampleSize: 8\nNumSamples: 5\nData:\nijAhg\nend\nend\n"
         "Sound:\nName: Quiet\nSpeed: 8000\nNumSamples: 3\nend\n"
         "Sound:\nName: Loud\nSpeed: 22050\nSampleSize: 16\nNumSamples: 3\nData:\nZyeffhj\nend\nend\n"
         "Level:\nSolved: Bell\nStart: Loud\nLayout:\n###\n#+#\n###\nend\nend\n"},
        {"names of 79 characters, the most",
         "Zandrek Pack\nName: " + std::string(79, 'p') + "\nTile:\nName: " + std::string(79, 't') +
             "\nWidth: 1\nHeight: 1\nImagery:\n0\nend\nend\nLevel:\nName: " + std::string(79, 'l') +
             "\nWall: " + std::string(79, 't') + "\nLayout:\n#\nend\nend\n"},
        {"an empty Solution block", "Zandrek Pack\nLevel:\nSolution:\nend\nLayout:\n#\nend\nend\n"},
        {"a solution that ends in the letters of an end line",
         "Zandrek Pack\nLevel:\nSolution:\n" + std::string(59, '>') + "\n>end\nend\nLayout:\n#\nend\nend\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_round_trip(c.text);
    }
}

// The reader joins them again; the lines only keep the text readable.
TEST(EditorWriter, LongRunsAreBrokenIntoLinesOfAFixedLength)
{
    Authored_pack pack = new_pack();
    pack.levels[0].solution = std::string(130, '>');
    pack.levels.push_back(pack.levels[0]);
    pack.levels[1].solution = std::string(120, '<'); // the last line full
    pack.sounds.push_back({"Hum", 8000, 16, 120, std::vector<int16_t>(120, 0)});
    std::string text, problem;
    ASSERT_EQ(pack_text(pack, text, problem), 0) << problem;
    const std::string moves = std::string(60, '>') + "\n", back = std::string(60, '<') + "\n",
                      samples = std::string(50, 'g') + "\n";
    EXPECT_THAT(text, HasSubstr("\nSolution:\n" + moves + moves + std::string(10, '>') + "\nend\n"));
    EXPECT_THAT(text, HasSubstr("\nSolution:\n" + back + back + "end\n"));
    EXPECT_THAT(text, HasSubstr("\nData:\n" + samples + samples + std::string(20, 'g') + "\nend\n"));
}

// A picture row is written whole up to the 254 characters the reader takes
// on a line: 126 ones and a 10 fit, a 100 at the end does not.
TEST(EditorWriter, APictureRowFillsTheReadersLineAtMost)
{
    std::vector<uint8_t> row(126, 1);
    row.push_back(10);
    Authored_pack fits = new_pack(), over = new_pack();
    fits.tiles.push_back({"t", 127, 1, row});
    row.back() = 100;
    over.tiles.push_back({"t", 127, 1, row});
    std::string text, problem;
    EXPECT_EQ(std::make_tuple(pack_text(fits, text, problem), pack_text(over, text, problem)), std::make_tuple(0, -1));
}

// Typed into a page, an About block's CR LF line ends become LF and its last
// line gets one; a lone CR stays.
TEST(EditorWriter, AnAboutBlockTakesTheReadersLineEnds)
{
    const std::pair<const char*, const char*> rows[] = {
        {"a\r\nb", "a\nb\n"}, {"\r\nb\r\n", "\nb\n"}, {"a\rb", "a\rb\n"}, {"a\r", "a\r\n"}, {"", ""}};
    for (const auto& [typed, kept] : rows)
        EXPECT_EQ(about_text(typed), kept) << testing::PrintToString(typed);
}

// The reader gives a reference no line names the standard name; writing
// that back, or an emptied one, would only add lines.
TEST(EditorWriter, AReferenceNeverGivenWritesNoLine)
{
    Authored_pack pack = new_pack();
    pack.levels[0].references[REF_WALL] = "";
    std::string text, problem;
    ASSERT_EQ(pack_text(pack, text, problem), 0) << problem;
    EXPECT_THAT(text, testing::Not(HasSubstr("Wall:")));
    EXPECT_THAT(text, testing::Not(HasSubstr(std::string(": ") + UNNAMED_REFERENCE)));
}

TEST(EditorWriter, WhatTheReaderWouldReadOtherwiseIsRefused)
{
    const struct {
        void (*spoil)(Authored_pack&);
        const char* reason;
    } cases[] = {
        {[](Authored_pack& p) { p.levels[0].about = {"fine\nend of the road\n"}; },
         "level 1, About block 1: About line 2 begins with \"end\""},
        {[](Authored_pack& p) {
             p.about = {"", std::string(255, 'a') + "\n"};
         },
         "About block 2: About line 1 is longer than 254"},
        {[](Authored_pack& p) { p.name = std::string(80, 'n'); }, "at most 79"},
        {[](Authored_pack& p) { p.levels[0].name = "a\nb"; }, "level 1: the name cannot be written"},
        {[](Authored_pack& p) { p.tiles.emplace_back().name = "a\nb"; }, "tile 1 (a\nb): the name cannot be written"},
        {[](Authored_pack& p) { p.sounds.emplace_back().name = "a\nb"; }, "sound 1 (a\nb): the name cannot be written"},
        {[](Authored_pack& p) { p.levels[0].references[REF_FLOOR] = "old oak"; }, "one word"},
        {[](Authored_pack& p) { p.levels[0].rows[0] = "#x#"; },
         "layout row 1, column 2 holds a character that is no piece"},
        {[](Authored_pack& p) { p.levels[0].solution = "<>\n"; }, "line end"},
        {[](Authored_pack& p) { p.levels.clear(); }, "at least one level"},
        {[](Authored_pack& p) { p.levels[0].references[REF_WALL] = std::string("a\0b", 3); },
         "a tile or sound name cannot hold a NUL"},
        {[](Authored_pack& p) { p.levels[0].solution = "<\r>"; },
         "the solution cannot be written: it holds a carriage return"},
        {[](Authored_pack& p) { p.about = {std::string("a\0b\n", 4)}; }, "the About text holds a NUL"},
        {[](Authored_pack& p) { p.levels[0].name = "Dock\r"; }, "it ends in a carriage return"},
        {[](Authored_pack& p) { p.levels[0].rows.assign(17, "#"); }, "the layout has more than 16 rows"},
        {[](Authored_pack& p) { p.levels[0].rows[0] = std::string(21, '#') + "  "; },
         "layout row 1 has more than 20 cells"},
        {[](Authored_pack& p) { p.levels[0].references[REF_FLOOR] = std::string(80, 'r'); },
         "a tile or sound name has at most 79 characters"},
        {[](Authored_pack& p) {
             p.tiles.push_back({"t", 2, 2, {1, 2, 3}});
         },
         "tile 1 (t): its picture does not match its width and height"},
        {[](Authored_pack& p) {
             p.tiles.push_back({"t", 100, 1, std::vector<uint8_t>(100, 255)});
         },
         "tile 1 (t): row 1 of its picture needs more than"},
        {[](Authored_pack& p) {
             p.sounds.push_back({"s", 8000, 8, 3, {1, 2}});
         },
         "sound 1 (s): its samples do not match its count"},
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

} // namespace
