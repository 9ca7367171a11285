#include "engine/events.h"

#include <cstddef>

#include "engine/click_to_move.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "engine/move_rules.h"

namespace
{

using Action = void (*)(Game_state&, const Game_event&);

struct Command {
    int32_t code;
    Action action;
    char log_char; // written to the move log after the action, blocked or not
};

void up(Game_state& s, const Game_event&)
{
    move_command(s, DIR_UP);
}
void down(Game_state& s, const Game_event&)
{
    move_command(s, DIR_DOWN);
}
void left(Game_state& s, const Game_event&)
{
    move_command(s, DIR_LEFT);
}
void right(Game_state& s, const Game_event&)
{
    move_command(s, DIR_RIGHT);
}
void undo(Game_state& s, const Game_event&)
{
    undo_push(s);
}
void restart(Game_state& s, const Game_event&)
{
    restart_level(s);
}
void help(Game_state& s, const Game_event&)
{
    show_help(s);
}
void help_page(Game_state&, const Game_event&)
{
    open_help_page();
}
void about(Game_state& s, const Game_event&)
{
    show_about(s);
}
void rephase_timers(Game_state& s, const Game_event&)
{
    stop_game_timers(s);
    restart_game_timers(s);
}
void choose(Game_state& s, const Game_event&)
{
    choose_level(s);
}
void next(Game_state& s, const Game_event&)
{
    next_level(s);
}
void previous(Game_state& s, const Game_event&)
{
    previous_level(s);
}
void other_key(Game_state& s, const Game_event&)
{
    leave_screen(s);
}
void paint(Game_state& s, const Game_event&)
{
    repaint(s);
}
void left_down(Game_state& s, const Game_event& e)
{
    if (s.walk_sticky)
        s.walk_sticky = false; // the release of this click ends the walk
    else
        walk_start(s, (e.flags & EVENT_FLAG_SHIFT) != 0);
}
void left_up(Game_state& s, const Game_event&)
{
    if (!s.walk_sticky) walk_stop(s);
}

const Command COMMANDS[] = {
    {CODE_ESCAPE, help, 0},
    {CODE_F1, help, 0},
    {CODE_UP, up, '^'},
    {CODE_DOWN, down, 'v'},
    {CODE_LEFT, left, '<'},
    {CODE_RIGHT, right, '>'},
    {CODE_U, undo, 'u'},
    {CODE_BACKSPACE, undo, 'u'},
    {CODE_DELETE, undo, 'u'},
    {CODE_SLASH, help, 0},
    {CODE_QUESTION, help_page, 0},
    {CODE_A, about, 0},
    {CODE_E, rephase_timers, 0},
    {CODE_G, choose, 0},
    {CODE_H, left, '<'},
    {CODE_J, down, 'v'},
    {CODE_K, up, '^'},
    {CODE_L, right, '>'},
    {CODE_N, next, 0},
    {CODE_P, previous, 0},
    {CODE_R, restart, 'r'},
    {CODE_OTHER_KEY, other_key, 0},
    {CODE_PAINT, paint, 0},
    {CODE_LEFT_DOWN, left_down, 0},
    {CODE_LEFT_UP, left_up, 0},
    {CODE_RIGHT_UP, undo, 'u'},
};

void toggle_log(Game_state& s, const Game_event&)
{
    toggle_move_log(s);
}
void closing_text(Game_state& s, const Game_event&)
{
    show_closing_text(s);
}
void dump_tile(Game_state& s, const Game_event&)
{
    dump_tile_text(s);
}
void replay_solution(Game_state& s, const Game_event& e)
{
    play_back_solution(s, e.flags, e.x, e.y);
}
void replay_log(Game_state& s, const Game_event& e)
{
    play_back_log(s, e.flags, e.x, e.y);
}
void finale(Game_state& s, const Game_event&)
{
    show_finale(s);
}
void builtin_levels(Game_state& s, const Game_event&)
{
    select_level_set(s, 0, 0);
}

const Command DEVELOPER_COMMANDS[] = {
    {CODE_F9, toggle_log, 0}, {CODE_B, closing_text, 0}, {CODE_C, dump_tile, 0},      {CODE_S, replay_solution, 0},
    {CODE_T, replay_log, 0},  {CODE_V, finale, 0},       {CODE_X, builtin_levels, 0},
};

template <size_t N> void run(Game_state& state, const Command (&commands)[N], const Game_event& event)
{
    for (const Command& command : commands) {
        if (command.code != event.code) continue;
        command.action(state, event);
        if (command.log_char) log_move_char(state, command.log_char);
        return;
    }
}

bool ends_screen(const Game_event& event)
{
    return event.type == EVENT_KEY || (event.type == EVENT_BUTTON && event.code == CODE_LEFT_DOWN);
}

// ---- leaving a screen ----

void return_to_play(Game_state& state)
{
    clear_display(state);
    draw_board(state, state.play_board, true);
    set_message_line(state, state.play_board);
    state.board_shown = 1;
    fidget_reset(state);
    state.mode = MODE_PLAY;
}

void leave_title(Game_state& state)
{
    play_speech(state, speech_info_id(state.speech_info, SPEECH_LEAVE_TITLE));
    if (choose_player(state) == -1) return;
    read_board_record(state, state.pristine_board, state.start_level);
    play_speech(state, state.screen_board.solved_sound);
    enter_level(state);
}

void leave_finale(Game_state& state)
{
    return_to_play(state);
    state.finale_seen = 1;
}

using Screen_step = void (*)(Game_state&);

struct Screen_exit {
    int32_t mode;
    Screen_step step;
};

const Screen_exit SCREEN_EXITS[] = {
    {MODE_PLAY, [](Game_state&) {}}, {MODE_TITLE, leave_title},          {MODE_SOLVED, enter_level},
    {MODE_HELP, return_to_play},     {MODE_ALL_DONE, show_closing_text}, {MODE_DONE_TEXT, show_finale},
    {MODE_FINALE, leave_finale},
};

// ---- repainting ----

void repaint_play(Game_state& s)
{
    draw_board(s, s.play_board, true);
}
void repaint_title(Game_state& s)
{
    draw_board(s, s.screen_board, false);
}
void repaint_solved(Game_state& s)
{
    draw_board(s, s.play_board, true);
    draw_solved_text(s, s.play_board);
}
void repaint_help(Game_state& s)
{
    draw_board(s, s.screen_board, true);
    if (s.screen_board.number == BOARD_HELP) draw_help_text(s); // the about boxes are not shown again
}
void repaint_done_text(Game_state& s)
{
    draw_board(s, s.screen_board, true);
    draw_closing_text(s);
}

const Screen_exit REPAINTS[] = {
    {MODE_PLAY, repaint_play},    {MODE_TITLE, repaint_title},     {MODE_SOLVED, repaint_solved},
    {MODE_HELP, repaint_help},    {MODE_ALL_DONE, repaint_solved}, {MODE_DONE_TEXT, repaint_done_text},
    {MODE_FINALE, repaint_title},
};

template <size_t N> Screen_step step_for(const Screen_exit (&table)[N], int32_t mode)
{
    for (const Screen_exit& e : table)
        if (e.mode == mode) return e.step;
    return nullptr;
}

} // namespace

void handle_event(Game_state& state, const Game_event& event)
{
    if (ends_screen(event) && state.mode != MODE_PLAY) {
        leave_screen(state);
        return;
    }
    run(state, COMMANDS, event);
    if (is_developer_player(state)) run(state, DEVELOPER_COMMANDS, event);
}

void leave_screen(Game_state& state)
{
    if (Screen_step step = step_for(SCREEN_EXITS, state.mode))
        step(state);
    else
        state.mode = MODE_PLAY;
}

void repaint(Game_state& state)
{
    if (Screen_step step = step_for(REPAINTS, state.mode)) step(state);
    fidget_reset(state);
}
