// The developer player's move log "Zandmove.txt" and the playbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

struct Game_state;

constexpr const char* MOVE_LOG_NAME = "Zandmove.txt";
constexpr int MOVE_LOG_LINE = 70; // characters before the log file gets a line break

// F9: opens "Zandmove.txt" afresh, or closes it, and says so in the title.
void toggle_move_log(Game_state& state);
// Opens a move log at `path`, replacing any earlier file; 0, or -1 when it
// cannot be created (the log then stays as it was).
int open_move_log(Game_state& state, const char* path);
void close_move_log(Game_state& state);
void log_move_char(Game_state& state, char c);

// One playback character: its word in the title, then its command through
// handle_event with the flags and position of the event that began playback.
// True for the characters playback acts on; it skips every other one.
bool is_playback_char(char c);
void replay_char(Game_state& state, char c, int32_t flags, int32_t x, int32_t y);
// The playback syntax: a character may be followed by "x" and a count
// (read as "%d" reads: blanks, a sign, digits; a count of 0 or less drops the
// character, no digits play it once), and text between two backquotes is
// skipped. Each character goes to `play` as often as its count says; the
// scan stops as soon as `play` returns false.
void scan_playback_text(std::string_view text, const std::function<bool(char)>& play);
// Plays text in the playback syntax with replay_char.
void play_back_text(Game_state& state, std::string_view text, int32_t flags, int32_t x, int32_t y);
// The file playback (developer key t) of "Zandmove.txt", or of `path`.
void play_back_log(Game_state& state, int32_t flags, int32_t x, int32_t y);
int play_back_file(Game_state& state, const char* path, int32_t flags, int32_t x, int32_t y);
// The current pack level's stored solution, character by character (no counts).
void play_back_solution(Game_state& state, int32_t flags, int32_t x, int32_t y);

// The current pack level's treasure tile as a tile record, on standard output.
void dump_tile_text(Game_state& state);
void dump_tile_text(Game_state& state, FILE* out);
