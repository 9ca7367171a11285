// zandrek-tool render --tiles: every tile code of a map on one contact sheet.
#pragma once

// The arguments after "render"; the exit status.
int render_tile_sheet(int argc, char** argv);
