// zandrek-tool render --sheet: every level of a pack on one contact sheet,
// each as the game window shows it at magnification 1, with its number.
#pragma once

// Writes the sheet of the pack at `pack_path` to the PNG `output`, `columns`
// levels a row, drawn with the tiles of `map_path` (null: the tool's
// built-in map); the exit status.
int render_level_sheet(const char* pack_path, const char* map_path, const char* output, int columns);
