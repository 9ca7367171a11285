// Everything the engine asks of the other subsystems. The engine reaches
// drawing, sound, timers, players, settings and message boxes only through
// these operations; each is implemented where its subsystem lives.
#pragma once

#include <cstdint>

#include "engine/field.h"

struct Game_state;
struct Pack_sound;

// ---- drawing (presentation/draw.cpp) ----
void draw_cell(Game_state& state, Cell_pos pos, uint16_t tile);
void draw_tile(Game_state& state, Cell_pos pos, uint16_t tile);
void draw_board(Game_state& state, const Field_info& board, bool random_order);
void clear_display(Game_state& state);
void read_board_record(Game_state& state, Field_info& destination, int number);

// ---- screens (presentation/screens.cpp) ----
void show_help(Game_state& state);
void show_about(Game_state& state);
void show_closing_text(Game_state& state);
void show_finale(Game_state& state);
void draw_solved_text(Game_state& state, const Field_info& board);
void draw_help_text(Game_state& state);
void draw_closing_text(Game_state& state);

// ---- the message line (presentation/message_line.cpp) ----
void set_message_line(Game_state& state, const Field_info& board);
void set_window_title(Game_state& state, const char* text);

// ---- sound (presentation/sound.cpp) ----
int play_speech(Game_state& state, uint8_t speech_id);
int play_motion_sound(Game_state& state, uint8_t speech_id);
int play_pack_sound(Game_state& state, const Pack_sound* sound);

// ---- timers and the idle animation (presentation/fidget.cpp) ----
void fidget_reset(Game_state& state);
void stop_game_timers(Game_state& state);
void restart_game_timers(Game_state& state);

// ---- players (files/score_file.cpp) ----
int choose_player(Game_state& state);
void record_result(Game_state& state, const Field_info& solved);
bool is_developer_player(const Game_state& state);

// ---- settings and messages (shell/settings.cpp, shell/message_box.cpp) ----
int reg_get_dword(const char* name, uint32_t* value);
void reg_set_dword(const char* name, uint32_t value);
int reg_get_string(const char* name, char* buffer, uint32_t capacity);
void reg_set_string(const char* name, const char* text);
int info_box(const char* format, ...);
int warn_box(const char* format, ...);
int error_box(const char* format, ...);
void open_help_page();
void set_walk_cursor(bool walking);
