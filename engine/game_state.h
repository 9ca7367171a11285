// The one record the whole game keeps everything in. Every operation takes
// it first. Regions follow the order the game has always had: the map file
// header, the player region, the records read from the map file, then the
// engine's run-time fields.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/field.h"
#include "engine/map_records.h"
#include "engine/pack_records.h"
#include "engine/score_records.h"
#include "engine/timers.h"
#include "shell/platform.h"

enum : int32_t {
    MODE_PLAY = 0,
    MODE_TITLE = 1,
    MODE_SOLVED = 2,
    MODE_HELP = 3,
    MODE_ALL_DONE = 4,
    MODE_DONE_TEXT = 5,
    MODE_FINALE = 6,
};

constexpr int BUILTIN_LEVELS = 50;
constexpr const char* DEVELOPER_NAME = "Quillbarrow";

// Drawing state that lives for the whole run.
struct Draw_state {
    Tile_dib tile_dib{};
    int last_reveal = 0;
    std::vector<uint16_t> reveal_scratch; // random reveal order; allocated on first use
    uint32_t random_seed = 1;             // never reseeded
    // The image buffer of one tile draw, kept between draws so that a step
    // costs no allocation.
    std::vector<uint8_t> tile_buffer;
};

// The wave output: one device and one buffer header for the whole run.
struct Sound_state {
    bool speech_on = true;
    bool motion_sounds_on = true;
    bool device_open = false;
    int device_rate = 0;
    int device_bits = 0;
    Wave_header header;
};

// The developer player's move log.
struct Move_log_state {
    FILE* log = nullptr;
    int line_count = 0;
    FILE* echo = stderr; // every logged character is echoed here; tests and tools redirect it
};

struct Game_state {
    // ---- map file header region ----
    Map_header map{};
    std::string map_file_name;
    FILE* map_file = nullptr; // open for the whole run once read
    std::string cpyr_text, prog_text, arts_text;

    // ---- player region ----
    std::string score_header;
    std::string score_file_name;
    int32_t start_level = 1;
    int32_t max_level = 1;
    int32_t num_players = 0;
    std::vector<std::unique_ptr<Score_entry>> players; // list order
    Score_entry* current_player = nullptr;
    int score_warnings_shown = 0;
    char player_name_buffer[16] = {}; // the name dialog's text and the stored player_name
    bool name_asked = false;          // a player has been chosen in this run

    // ---- records from the map file ----
    Fidget_info fidget{};
    Tile_info tile_info{};
    std::vector<uint16_t> tile_table; // TILE: image record index per tile code
    Speech_info speech_info{};
    std::vector<Speech_item> speech_items; // SITM
    std::vector<Sample_info> samples;      // built from the SAMP index
    uint32_t samp_pos = 0;
    uint32_t samp_length = 0;
    uint32_t flds_length = 0; // the positioned reads stay inside their chunks
    uint32_t imgs_length = 0;
    int32_t colour_count = 0;
    const uint8_t* colour_map = nullptr; // colour_count RGB triples
    int16_t display_width = 320;
    int16_t display_height = 192;

    // ---- engine run-time fields ----
    // Ahead of the timer objects, which look for their nodes in it as they go.
    Timer_list timers;
    std::unique_ptr<Periodic_timer> walk_timer;
    bool walk_sticky = false;
    bool walk_prefer_path = false;
    int32_t walk_ticks = 0;
    int16_t walk_frame = 0;
    std::unique_ptr<Periodic_timer> fidget_timer;
    std::unique_ptr<Periodic_timer> msgline_timer;
    int32_t magnify = 2;
    int16_t board_shown = 0;
    uint16_t carried[2] = {0, 0}; // from the current player's record into each one written
    Field_info play_board{};
    Field_info pristine_board{};
    Field_info screen_board{};
    int32_t mode = MODE_TITLE;
    Pack_info* pack = nullptr;
    std::unique_ptr<Pack_info> packs;
    int32_t finale_seen = 0;

    // The window procedure keeps the last pointer position; the walk reads it.
    int32_t last_pointer_x = 0;
    int32_t last_pointer_y = 0;

    Draw_state draw;
    Sound_state sound;
    Move_log_state move_log;

    Game_state();
    ~Game_state();
    Game_state(const Game_state&) = delete;
    Game_state& operator=(const Game_state&) = delete;
};

// The one instance the shell's window procedure, menus and timers reach.
Game_state& the_game();

// Bytes a board record occupies in the buffers: the map's record size, but
// never more than the buffer holds.
size_t board_record_bytes(const Game_state& state);
void copy_board(const Game_state& state, Field_info& to, const Field_info& from);

// ---- the engine's service operations ----
// Everything the engine asks of the other subsystems. The engine reaches
// drawing, sound, timers, players, settings and message boxes only through
// these operations; each is declared here, below its callers' layers, and
// defined where its subsystem lives.

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
// A sound that cannot be played is silence: the game goes on without it.
void play_speech(Game_state& state, uint8_t speech_id);
void play_motion_sound(Game_state& state, uint8_t speech_id);
void play_pack_sound(Game_state& state, const Pack_sound* sound);

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
