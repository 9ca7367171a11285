#include "tools/authoring/level_editor.h"

#include "engine/field.h"

namespace
{

enum Ground { GROUND_NONE, GROUND_WALL, GROUND_FLOOR };
enum Occupant { HOLD_NOTHING, HOLD_TREASURE, HOLD_ZANDREK, HOLD_KEEP };
enum Bank_effect { BANK_CLEAR, BANK_SET, BANK_KEEP };

struct Cell {
    Ground ground;
    bool bank;
    Occupant occupant;
};

struct Piece {
    char c;
    Ground ground;
    Bank_effect bank;
    Occupant occupant; // HOLD_KEEP: what stood there stays
};

// What painting each piece does to a cell: the bank and the figure on it are
// separate layers, so a treasure or Zandrek lands on a bank and a bank slides
// under either.
const Piece PIECES[] = {
    {' ', GROUND_NONE, BANK_CLEAR, HOLD_NOTHING},  {'#', GROUND_WALL, BANK_CLEAR, HOLD_NOTHING},
    {'-', GROUND_FLOOR, BANK_CLEAR, HOLD_NOTHING}, {'.', GROUND_FLOOR, BANK_SET, HOLD_KEEP},
    {'$', GROUND_FLOOR, BANK_KEEP, HOLD_TREASURE}, {'*', GROUND_FLOOR, BANK_SET, HOLD_TREASURE},
    {'@', GROUND_FLOOR, BANK_KEEP, HOLD_ZANDREK},  {'+', GROUND_FLOOR, BANK_SET, HOLD_ZANDREK},
};

const Piece* piece_of(char c)
{
    for (const Piece& p : PIECES)
        if (p.c == c) return &p;
    return nullptr;
}

Cell cell_of(char c)
{
    const Piece* p = piece_of(c);
    if (!p) return Cell{GROUND_NONE, false, HOLD_NOTHING};
    return Cell{p->ground, p->bank == BANK_SET, p->occupant == HOLD_KEEP ? HOLD_NOTHING : p->occupant};
}

char char_of(const Cell& cell)
{
    if (cell.ground == GROUND_NONE) return ' ';
    if (cell.ground == GROUND_WALL) return '#';
    switch (cell.occupant) {
    case HOLD_TREASURE: return cell.bank ? '*' : '$';
    case HOLD_ZANDREK: return cell.bank ? '+' : '@';
    default: return cell.bank ? '.' : '-';
    }
}

char painted(char old, const Piece& piece)
{
    Cell before = cell_of(old);
    bool on_floor = before.ground == GROUND_FLOOR;
    Cell after{piece.ground, false, HOLD_NOTHING};
    if (piece.ground == GROUND_FLOOR) {
        after.bank = piece.bank == BANK_SET || (piece.bank == BANK_KEEP && on_floor && before.bank);
        after.occupant = piece.occupant != HOLD_KEEP ? piece.occupant : on_floor ? before.occupant : HOLD_NOTHING;
    }
    return char_of(after);
}

std::vector<std::string> normal_rows(const std::vector<std::string>& rows)
{
    std::vector<std::string> out(LEVEL_ROWS, std::string(LEVEL_COLS, ' '));
    for (size_t r = 0; r < rows.size() && r < out.size(); ++r)
        for (size_t c = 0; c < rows[r].size() && c < out[r].size(); ++c)
            out[r][c] = piece_of(rows[r][c]) ? rows[r][c] : ' ';
    return out;
}

void remember(Level_editor& editor, const Authored_level& before)
{
    editor.undo_stack.push_back(before);
    if (editor.undo_stack.size() > EDITOR_HISTORY_LIMIT) editor.undo_stack.erase(editor.undo_stack.begin());
    editor.redo_stack.clear();
}

// One field edit: an undo step of its own.
template <typename Apply>
int field_edit(Level_editor& editor, const std::string& why, std::string& problem, Apply apply)
{
    if (!why.empty()) {
        problem = why;
        return -1;
    }
    editor_end_stroke(editor);
    remember(editor, editor.level);
    apply(editor.level);
    return 0;
}

} // namespace

Authored_level blank_level()
{
    Authored_level level;
    level.name = "New level";
    level.rows = normal_rows({});
    return level;
}

void editor_open(Level_editor& editor, const Authored_level& level)
{
    editor = Level_editor{};
    editor.level = level;
    editor.level.rows = normal_rows(level.rows);
}

bool editor_paint(Level_editor& editor, int row, int col, char c)
{
    const Piece* piece = piece_of(c);
    if (!piece || row < 0 || row >= LEVEL_ROWS || col < 0 || col >= LEVEL_COLS) return false;
    std::vector<std::string> rows = editor.level.rows;
    rows[row][col] = painted(rows[row][col], *piece);
    if (piece->occupant == HOLD_ZANDREK) {
        // He is one figure: placing him takes him off wherever he stood.
        for (int r = 0; r < LEVEL_ROWS; ++r)
            for (int k = 0; k < LEVEL_COLS; ++k)
                if ((r != row || k != col) && cell_of(rows[r][k]).occupant == HOLD_ZANDREK)
                    rows[r][k] = rows[r][k] == '+' ? '.' : '-';
    }
    if (rows == editor.level.rows) return false;
    if (!editor.stroke_open) remember(editor, editor.level);
    editor.stroke_changed = editor.stroke_changed || editor.stroke_open;
    editor.level.rows = std::move(rows);
    editor.level.solution.clear();
    editor.level.empty_solution = false;
    return true;
}

void editor_begin_stroke(Level_editor& editor)
{
    if (editor.stroke_open) editor_end_stroke(editor);
    editor.stroke_open = true; // ending a stroke left stroke_changed false
    editor.stroke_before = editor.level;
}

void editor_end_stroke(Level_editor& editor)
{
    if (!editor.stroke_open) return;
    editor.stroke_open = false;
    if (editor.stroke_changed) remember(editor, editor.stroke_before);
    editor.stroke_changed = false;
}

bool editor_undo(Level_editor& editor)
{
    editor_end_stroke(editor);
    if (editor.undo_stack.empty()) return false;
    editor.redo_stack.push_back(std::move(editor.level));
    editor.level = std::move(editor.undo_stack.back());
    editor.undo_stack.pop_back();
    return true;
}

bool editor_redo(Level_editor& editor)
{
    editor_end_stroke(editor);
    if (editor.redo_stack.empty()) return false;
    editor.undo_stack.push_back(std::move(editor.level));
    editor.level = std::move(editor.redo_stack.back());
    editor.redo_stack.pop_back();
    return true;
}

int editor_set_name(Level_editor& editor, const std::string& name, std::string& problem)
{
    return field_edit(editor, name_problem(name), problem, [&](Authored_level& l) { l.name = name; });
}

int editor_set_about(Level_editor& editor, const std::vector<std::string>& blocks, std::string& problem)
{
    std::vector<std::string> clean;
    std::string why;
    for (const std::string& block : blocks) {
        clean.push_back(about_text(block));
        if (why.empty()) why = about_problem(clean.back());
    }
    return field_edit(editor, why, problem, [&](Authored_level& l) { l.about = clean; });
}

int editor_set_reference(Level_editor& editor, Level_reference which, const std::string& name, std::string& problem)
{
    if (which < 0 || which >= REF_COUNT) {
        problem = "no such tile or sound reference";
        return -1;
    }
    std::string given = name.empty() ? UNNAMED_REFERENCE : name;
    return field_edit(editor, reference_problem(given), problem, [&](Authored_level& l) {
        l.references.resize(REF_COUNT, UNNAMED_REFERENCE);
        l.references[which] = given;
    });
}
