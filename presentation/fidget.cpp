#include "presentation/fidget.h"

#include <new>

#include "engine/game_state.h"
#include "presentation/draw.h"
#include "presentation/message_line.h"

enum : uint16_t {
    FIDGET_RESTARTED = 0,
    FIDGET_STATUS_SHOWN = 1,
    FIDGET_UNUSED = 2, // nothing ever leads here
    FIDGET_CHOOSING = 3,
    FIDGET_PLAYING = 4,
};

int create_game_timers(Game_state& state)
{
    state.fidget_timer.reset(new (std::nothrow) Periodic_timer(state, 0, FIDGET_PERIOD_US, fidget_tick, 0));
    if (!state.fidget_timer) {
        error_box("Can't create fidget timer");
        return -1;
    }
    state.msgline_timer.reset(new (std::nothrow) Periodic_timer(state, MSGLINE_PERIOD_S, 0, msgline_tick, 0));
    if (!state.msgline_timer) {
        error_box("Can't create msgline timer");
        return -1;
    }
    return 0;
}

void fidget_reset(Game_state& state)
{
    state.fidget.state = FIDGET_RESTARTED;
    state.fidget.counter = 0;
    state.fidget.wait = 3;
}

void stop_game_timers(Game_state& state)
{
    if (state.msgline_timer) state.msgline_timer->stop();
    if (state.fidget_timer) state.fidget_timer->stop();
}

void restart_game_timers(Game_state& state)
{
    if (state.msgline_timer) state.msgline_timer->restart();
    if (state.fidget_timer) state.fidget_timer->restart();
}

void fidget_tick(Game_state& state, uint32_t)
{
    if (state.mode != MODE_PLAY) return;
    Fidget_info& f = state.fidget;
    f.counter += 1;
    if (f.wait > f.counter) return;
    f.counter = 0;
    f.wait = 0;

    uint16_t stand = tile_info_slot(state.tile_info, PLAYER_SLOT_STAND);
    bool draw = false;
    uint16_t tile = stand;
    int sequences = f.sequence_count < FIDGET_SEQUENCES ? f.sequence_count : FIDGET_SEQUENCES;
    switch (f.state) {
    case FIDGET_RESTARTED:
        f.state = FIDGET_STATUS_SHOWN;
        show_status_title(state);
        draw = true;
        break;
    case FIDGET_STATUS_SHOWN:
        f.sequence = 0;
        f.frame = 0;
        f.state = FIDGET_PLAYING;
        break;
    case FIDGET_CHOOSING:
        // Fewer than two sequences leave nothing to choose: stand still.
        if (sequences < 2) break;
        f.state = FIDGET_PLAYING;
        f.sequence = static_cast<int16_t>(game_random(state) % (sequences - 1) + 1);
        f.frame = 0;
        f.wait = game_random(state) % 60 + 20;
        draw = true;
        break;
    case FIDGET_PLAYING: {
        // A sequence index or frame outside the table ends the sequence.
        bool inside = f.sequence >= 0 && f.sequence < FIDGET_SEQUENCES && f.frame < FIDGET_FRAMES;
        uint16_t next = inside ? f.sequences[f.sequence][f.frame] : FIDGET_END;
        if (next == FIDGET_END) {
            f.state = FIDGET_CHOOSING;
        } else {
            tile = next;
            f.frame += 1;
            draw = true;
        }
        break;
    }
    default: break;
    }
    if (draw) draw_cell(state, make_cell_pos(state.play_board.player_x, state.play_board.player_y), tile);
}

void msgline_tick(Game_state& state, uint32_t)
{
    if (state.mode == MODE_PLAY && state.fidget.state != FIDGET_RESTARTED) show_status_title(state);
}
