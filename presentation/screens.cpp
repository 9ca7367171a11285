#include "presentation/screens.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/game_state.h"
#include "files/score_file.h"
#include "presentation/elapsed_time.h"
#include "presentation/sound.h"

// The about box: one text, each line (the empty ones too) ended by a line end.
static const char* const ABOUT_TEXT = "Zandrek Version 4.0\n"
                                      "\n"
                                      "Windows Version\n"
                                      "\n"
                                      "Copyright (c) Ostrovane. All rights reserved.\n"
                                      "Puzzles, pictures and voices made by Ostrovane.\n"
                                      "Share it with friends; do not sell it.\n"
                                      "\n"
                                      "http://www.ostrovane.example/zandrek/\n";

void draw_text(Game_state& state, int x, int y, const char* text, Text_align align)
{
    if (!platform_get_draw_dc()) return;
    int m = state.magnify;
    platform_text_out((x + 1) * m, (y + 1) * m, text, align, 0x000000);
    platform_text_out(x * m, y * m, text, align, 0xFFFFFF);
}

void draw_text_left(Game_state& state, int x, int y, const char* text)
{
    draw_text(state, x, y, text, TEXT_LEFT);
}

void draw_text_centred(Game_state& state, int y, const char* text)
{
    draw_text(state, 160, y, text, TEXT_CENTRE);
}

void show_greeting(Game_state& state)
{
    clear_display(state);
    read_board_record(state, state.screen_board, BOARD_TITLE);
    draw_board(state, state.screen_board, false);
    set_message_line(state, state.screen_board);
    play_speech(state, state.screen_board.start_sound);
    state.mode = MODE_TITLE;
}

void show_screen(Game_state& state, int number)
{
    clear_display(state);
    read_board_record(state, state.screen_board, number);
    draw_board(state, state.screen_board, true);
    set_message_line(state, state.screen_board);
    play_speech(state, state.screen_board.start_sound);
    state.mode = MODE_HELP;
}

void show_help(Game_state& state)
{
    show_screen(state, BOARD_HELP);
    draw_help_text(state);
}

void draw_help_text(Game_state& state)
{
    draw_text_centred(state, 20, "Zandrek Help");
    draw_text_centred(state, 40, "Push all the treasures onto the");
    draw_text_centred(state, 50, "marked floor positions.");
    static const char* const COMMANDS[] = {
        "Move Zandrek up",    "Move Zandrek down", "Move Zandrek left", "Move Zandrek right",
        "Undo the last push", "Restart the level", "Go to next level",  "Go to previous level",
    };
    int y = 93;
    for (const char* line : COMMANDS) {
        draw_text_left(state, 88, y, line);
        y += 12;
    }
}

void show_about(Game_state& state)
{
    show_screen(state, BOARD_ABOUT);
    info_box("%s", ABOUT_TEXT);
    if (!state.pack) return;
    for (const Text_block* b = state.pack->about.get(); b; b = b->next.get())
        info_box("%s", b->text.c_str());
    if (const Level_info* level = state.pack->current_level)
        for (const Text_block* b = level->about.get(); b; b = b->next.get())
            info_box("%s", b->text.c_str());
}

void show_closing_text(Game_state& state)
{
    show_screen(state, BOARD_BLANK);
    draw_closing_text(state);
    state.mode = MODE_DONE_TEXT;
}

void draw_closing_text(Game_state& state)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s Has Done It!", player_name(state).c_str());
    draw_text_centred(state, 30, line);
    draw_text_centred(state, 80, "You have achieved a sublime state");
    draw_text_centred(state, 100, "of pure Zandnicity");
    draw_text_centred(state, 145, "You sure are cool");
    draw_text_centred(state, 170, "(Press any key to continue)");
}

void show_finale(Game_state& state)
{
    clear_display(state);
    read_board_record(state, state.screen_board, BOARD_FINALE);
    play_speech(state, state.screen_board.start_sound);
    draw_board(state, state.screen_board, false);
    set_message_line(state, state.screen_board);
    preload_screen_samples(state, state.screen_board);
    play_speech(state, state.screen_board.banked_sound);
    state.mode = MODE_FINALE;
}

void draw_solved_text(Game_state& state, const Field_info& board)
{
    char line[128];
    std::string name = player_name(state);
    const Level_info* level = state.pack ? state.pack->current_level : nullptr;
    if (state.pack)
        std::snprintf(line, sizeof line, "%s Has Solved Level %d: '%s'", name.c_str(), board.number,
                      level ? std::string(level->name, strnlen(level->name, sizeof level->name)).c_str() : "");
    else
        std::snprintf(line, sizeof line, "%s Has Solved Level %d", name.c_str(), board.number);
    draw_text_centred(state, 50, line);
    std::snprintf(line, sizeof line, "Treasures Saved: %d", board.banked);
    draw_text_centred(state, 100, line);
    std::snprintf(line, sizeof line, "Moves: %d  Pushes: %d", board.moves, board.pushes);
    draw_text_centred(state, 115, line);
    std::snprintf(line, sizeof line, "Elapsed Time: %s",
                  format_elapsed(int64_t{board.solve_time} - int64_t{board.start_time}));
    draw_text_centred(state, 130, line);
    draw_text_centred(state, 182, "(Press any key to continue)");
}
