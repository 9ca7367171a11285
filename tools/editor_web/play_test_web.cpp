// Play-testing in the page: the level being drawn, written and read back
// as a pack level, played on the sitting's game through handle_event. The
// moves that stand (an undone push and the steps after it taken back, a
// restart clearing them) are kept so that they can be stored as the
// level's solution.
#include <emscripten/emscripten.h>

#include <memory>
#include <string>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "shell/platform_offscreen.h"
#include "tools/editor_web/binding_text.h"
#include "tools/editor_web/editor_session_web.h"

namespace
{

struct Play_test {
    std::unique_ptr<Pack_info> pack;
    std::string moves;      // the steps that stand, <>^v
    size_t before_push = 0; // the moves' length before the push the game can undo
    uint16_t tiles[FIELD_MAX_CELLS] = {};
};
Play_test play;

struct Step {
    int dx, dy;
    char c;
};
const Step STEPS[] = {{1, 0, '>'}, {-1, 0, '<'}, {0, -1, '^'}, {0, 1, 'v'}};

char step_char(int dx, int dy)
{
    for (const Step& s : STEPS)
        if (s.dx == dx && s.dy == dy) return s.c;
    return 0;
}

bool solved(const Game_state& state)
{
    return (state.mode == MODE_SOLVED || state.mode == MODE_ALL_DONE) &&
           state.play_board.banked == state.play_board.treasures;
}

} // namespace

extern "C" {

// Starts playing the level being drawn: "" or why it cannot be played.
EMSCRIPTEN_KEEPALIVE const char* ed_play_start()
{
    Editor_session& s = web_session();
    Authored_pack alone;
    alone.levels.push_back(s.editor.level);
    alone.levels.back().solution.clear();
    alone.levels.back().empty_solution = false;
    std::string text, problem;
    if (pack_text(alone, text, problem) != 0) return answer(problem);
    Pack_diagnostic diagnostic;
    play.pack = read_pack_bytes(text.data(), text.size(), &diagnostic);
    if (!play.pack || !play.pack->levels) return answer("the game cannot read the level back");
    Game_state& state = s.game.state;
    state.pack = play.pack.get();
    play.pack->current_level = play.pack->levels.get();
    build_pack_board(state, *play.pack->levels);
    enter_level(state);
    play.moves.clear();
    play.before_push = 0;
    return answer("");
}

// One key of the game (an engine key code) handed to handle_event.
EMSCRIPTEN_KEEPALIVE void ed_play_key(int code)
{
    Game_state& state = web_session().game.state;
    if (!play.pack || state.mode != MODE_PLAY) return;
    const Field_info& b = state.play_board;
    const int x = b.player_x, y = b.player_y, pushes = b.pushes, undo_mark = b.undo_player_after;
    handle_event(state, Game_event{EVENT_KEY, code, 0, 0, 0});
    offscreen().calls.clear();
    offscreen().sounds.clear();
    if (code == CODE_R) {
        play.moves.clear();
        play.before_push = 0;
    } else if (undo_mark != -1 && b.undo_player_after == -1 && b.pushes != pushes) {
        play.moves.resize(play.before_push);
    } else if (char c = step_char(b.player_x - x, b.player_y - y)) {
        if (b.pushes != pushes) play.before_push = play.moves.size();
        play.moves += c;
    }
}

EMSCRIPTEN_KEEPALIVE const char* ed_play_status()
{
    const Game_state& state = web_session().game.state;
    const Field_info& b = state.play_board;
    return answer("{\"moves\":" + std::to_string(b.moves) + ",\"pushes\":" + std::to_string(b.pushes) + ",\"solved\":" +
                  (play.pack && solved(state) ? "true" : "false") + ",\"standing\":" + json_string(play.moves) + "}");
}

EMSCRIPTEN_KEEPALIVE const uint16_t* ed_play_tiles()
{
    const Field_info& b = web_session().game.state.play_board;
    for (int cell = 0; cell < FIELD_MAX_CELLS; ++cell)
        play.tiles[cell] = b.cells[cell].tile;
    return play.tiles;
}

EMSCRIPTEN_KEEPALIVE void ed_play_stop()
{
    Game_state& state = web_session().game.state;
    state.pack = nullptr;
    state.mode = MODE_TITLE;
    play.pack.reset();
}

} // extern "C"
