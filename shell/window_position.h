// Where the main window opens: the position saved in the settings whenever
// the window moves, read back at the next start.
#pragma once

// The settings values holding the window's restored top-left corner.
constexpr const char* SETTING_WINDOW_X = "x";
constexpr const char* SETTING_WINDOW_Y = "y";

// x and y only when both are stored, else PLATFORM_DEFAULT_POSITION for
// both; a coordinate off the screen becomes 0.
void load_window_position(int* x, int* y);
// Called with the window's restored position (not its client origin, which
// would creep down by the frame on every run).
void store_window_position(int x, int y);
