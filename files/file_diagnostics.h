// What the file readers have to tell the player, in the order they found
// it: each one box, an error (exclamation icon, no owner) or a warning
// (exclamation icon, owned by the window). The readers never show a box
// themselves; the layer above shows what they return.
#pragma once

#include <string>
#include <vector>

enum Diagnostic_box { DIAGNOSTIC_ERROR, DIAGNOSTIC_WARNING };

struct File_diagnostic {
    Diagnostic_box box = DIAGNOSTIC_ERROR;
    std::string text;
};
using File_diagnostics = std::vector<File_diagnostic>;

// Appends one, its text made printf-style.
void note_error(File_diagnostics& out, const char* format, ...);
void note_warning(File_diagnostics& out, const char* format, ...);

// Shows each as its box, in order. Declared here for the score file, whose
// operations the engine calls in the middle of play, so that what it has
// to say is shown as it arises; defined by the shell, which owns the boxes.
void show_file_diagnostics(const File_diagnostics& diagnostics);
