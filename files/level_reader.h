// One Level: record of a pack file, read into a Level_info. The reader only
// transcribes; whether the level makes sense is never its concern.
#pragma once

struct Level_info;
struct Line_source;

// Called right after the Level: line with a fresh Level_info. 0 when the
// level's end line was read, 1 when the file ended first (the caller then
// drops the level).
int read_level(Level_info& level, Line_source& source);
