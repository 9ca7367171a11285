#include "engine/game_state.h"

#include <cstring>

Game_state::Game_state() = default;

Game_state::~Game_state()
{
    timer_list_clear(*this);
    if (move_log.log) std::fclose(move_log.log);
    if (map_file) std::fclose(map_file);
}

Game_state& the_game()
{
    static Game_state game;
    return game;
}

size_t board_record_bytes(const Game_state& state)
{
    if (state.map.record_size <= 0) return sizeof(Field_info);
    size_t n = static_cast<size_t>(state.map.record_size);
    return n < sizeof(Field_info) ? n : sizeof(Field_info);
}

void copy_board(const Game_state& state, Field_info& to, const Field_info& from)
{
    if (&to != &from) std::memcpy(&to, &from, board_record_bytes(state));
}
