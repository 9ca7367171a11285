// Pack files come from anyone: every input must read as a sound pack or be
// left out, and every level read must build into a board that plays.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "shell/platform_offscreen.h"
#include "tests/pack_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<Pack_info> pack = read_pack_bytes(reinterpret_cast<const char*>(data), size);
    if (!pack) return 0;
    if (!pack_invariant_failure(*pack).empty()) std::abort();

    static bool quiet = (offscreen_reset(), offscreen().recording = false, offscreen().draw_available = false, true);
    (void)quiet;
    Game_state state;
    state.pack = append_pack(state, std::move(pack));
    int levels = 0;
    for (Level_info* level = state.pack->levels.get(); level && levels < 20; level = level->next.get(), ++levels) {
        select_level_set(state, 1, level->number);
        const std::string& moves = level->solution;
        for (size_t i = 0; i < moves.size() && i < 200; ++i) {
            int32_t code = moves[i] == '<'   ? CODE_LEFT
                           : moves[i] == '>' ? CODE_RIGHT
                           : moves[i] == '^' ? CODE_UP
                                             : CODE_DOWN;
            handle_event(state, Game_event{EVENT_KEY, code, 0, 0, 0});
        }
    }
    return 0;
}
