// The edit model of one level in the pack editor: a 16 x 20 grid of layout
// legend pieces painted cell by cell, with undo and redo, and the level's
// name, About text and tile and sound references.
#pragma once

#include <string>
#include <vector>

#include "tools/authoring/level_text.h"

constexpr size_t EDITOR_HISTORY_LIMIT = 500; // edits kept for undo
constexpr char PIECE_NONE = ' ';             // no cell of play

struct Level_editor {
    Authored_level level; // rows: always 16 of 20 characters
    std::vector<Authored_level> undo_stack;
    std::vector<Authored_level> redo_stack;
    bool stroke_open = false;
    bool stroke_changed = false;
    Authored_level stroke_before;
};

// Starts editing `level`; rows are padded or cut to 16 x 20 and characters
// outside the legend become spaces. The history is emptied.
void editor_open(Level_editor& editor, const Authored_level& level);
// A blank 16 x 20 grid named "New level".
Authored_level blank_level();

// Paints one cell with a piece of the legend (# - . $ * @ + or space):
// a treasure on a bank becomes *, Zandrek on a bank +, a bank under a
// treasure or Zandrek slides beneath him, and Zandrek placed anywhere leaves
// the cell he stood on. A change to the layout drops the stored solution,
// which belonged to the old one; undo brings it back. true when the grid
// changed; false for a cell off the grid or a character that is no piece.
bool editor_paint(Level_editor& editor, int row, int col, char piece);

// A stroke (a drag of the mouse) is one edit however many cells it paints.
void editor_begin_stroke(Level_editor& editor);
void editor_end_stroke(Level_editor& editor);

bool editor_undo(Level_editor& editor); // false when there is nothing to undo
bool editor_redo(Level_editor& editor);

// The level's fields, each one edit. 0, or -1 with why in `problem` and the
// level unchanged: the writer's own rules, so nothing typed here fails later
// at saving.
int editor_set_name(Level_editor& editor, const std::string& name, std::string& problem);
// Blocks as the About screen shows them; CR LF line ends become LF.
int editor_set_about(Level_editor& editor, const std::vector<std::string>& blocks, std::string& problem);
// An empty name gives the reference back to the game's standard tile or sound.
int editor_set_reference(Level_editor& editor, Level_reference which, const std::string& name, std::string& problem);
