// zandrek-tool render --tiles: every tile code of a map on one contact sheet.
#pragma once

// Writes the sheet of the map at `map_path` to the PNG `output`, each tile
// magnified `magnify` times; the exit status.
int render_tile_sheet(const char* map_path, const char* output, int magnify);
