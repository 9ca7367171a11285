#include "board_fixture.h"

#include <algorithm>
#include <cstring>

#include "engine/level_progression.h"
#include "engine/move_rules.h"

void load_board(Game_state& state, const std::vector<std::string>& rows)
{
    Level_info level;
    std::memset(level.layout, '#', sizeof level.layout); // no template board: wall in everything
    for (size_t r = 0; r < rows.size() && r < LEVEL_ROWS; ++r)
        for (size_t c = 0; c < rows[r].size() && c < LEVEL_COLS; ++c) {
            char ch = level.layout[r][c] = rows[r][c] == ' ' ? '#' : rows[r][c];
            level.loose_treasures += ch == '$';
            level.banked_treasures += ch == '*';
            if (ch == '@' || ch == '+') {
                level.start_x = static_cast<int>(c);
                level.start_y = static_cast<int>(r);
            }
        }
    level.num_treasures = level.loose_treasures + level.banked_treasures;
    level.number = 7;
    if (state.tile_info.width == 0) {
        state.tile_info.width = 16;
        state.tile_info.height = 12;
        state.tile_info.image_size = 16 * 12;
    }
    build_pack_board(state, level);
    Field_info& b = state.pristine_board;
    b.start_sound = 20;
    b.banked_sound = 21;
    b.solved_sound = 22;
    reset_board(state, false);
    state.mode = MODE_PLAY;
}

Score_entry* make_player(Game_state& state, const char* name, int level)
{
    state.players.insert(state.players.begin(), std::make_unique<Score_entry>());
    Score_entry* p = state.players.front().get();
    std::strncpy(p->name, name, sizeof p->name - 1);
    p->level = level;
    state.num_players += 1;
    return state.current_player = p;
}

void give_sounds(Game_state& state)
{
    const int ids = 32;
    state.speech_items.assign(ids, Speech_item{1, 0});
    state.samples = std::vector<Sample_info>(ids);
    for (int k = 0; k < ids; ++k) {
        Sample_info& s = state.samples[k];
        s.data.reset(new uint8_t[4]{uint8_t(k), uint8_t(k), uint8_t(k), uint8_t(k)});
        s.length = 4;
        s.bits = 8;
        s.rate = s.rate_word = 8000;
        state.speech_items[k].sample = static_cast<uint8_t>(k);
    }
    state.speech_info.num_samples = ids;
    for (int byte = 8; byte < 16; ++byte)
        state.speech_info.ids_8_to_15[byte - 8] = static_cast<uint8_t>(byte);
}

std::vector<std::string> texts_of(Call_kind kind)
{
    std::vector<std::string> out;
    for (const Platform_call* c : offscreen_calls_of(kind))
        out.push_back(c->text);
    return out;
}
std::vector<std::string> box_texts()
{
    return texts_of(CALL_BOX);
}

std::vector<int> sounds_played()
{
    std::vector<int> ids;
    for (const Platform_call* c : offscreen_calls_of(CALL_WAVE_WRITE))
        if (!c->bytes.empty()) ids.push_back(c->bytes[0]);
    return ids;
}

void press(Game_state& state, int32_t code, int times)
{
    for (int i = 0; i < times; ++i)
        handle_event(state, Game_event{EVENT_KEY, code, 0, 0, 0});
}

void press_keys(Game_state& state, const std::string& keys)
{
    const int32_t codes[] = {CODE_UP, CODE_DOWN, CODE_LEFT, CODE_RIGHT, CODE_U, CODE_R};
    for (char c : keys)
        press(state, codes[std::string("^v<>ur").find(c)]);
}

void advance_ms(Game_state& state, int64_t ms)
{
    int64_t until = offscreen().now_ms + ms;
    while (uint32_t id = offscreen_next_due_timer(until))
        on_window_timer(state, id);
}

uint16_t& fidget_state(Game_state& state)
{
    return state.fidget.state;
}

int& last_reveal(Game_state& state)
{
    return state.draw.last_reveal;
}

void set_walking_frames(Game_state& state, int count, const std::vector<uint16_t>& frames)
{
    state.fidget.sequence_count = static_cast<int16_t>(count);
    uint16_t* last = state.fidget.sequences[count ? count - 1 : 0];
    std::copy(frames.begin(), frames.end(), last);
    last[frames.size()] = FIDGET_END;
}

Field_info solved_board(int number, int moves, int pushes, uint32_t seconds)
{
    Field_info b{};
    b.number = static_cast<int16_t>(number);
    b.moves = static_cast<uint16_t>(moves);
    b.pushes = static_cast<uint16_t>(pushes);
    b.start_time = 1000;
    b.solve_time = 1000 + seconds;
    return b;
}
