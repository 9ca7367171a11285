// Which level is current: entering levels, next and previous under the
// must-solve rule, level sets, and what solving a level leads to.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/level_progression.h"
#include "engine/move_rules.h"
#include "files/pack_reader.h"
#include "map_fixture.h"

namespace
{

const std::string MUST_SOLVE = "box:Sorry, you must solve this\nlevel before going on.\n";
const std::string AT_FIRST = "box:You're at the first level.\nNowhere to go but up.";
const std::string NOT_SOLVED_FIRST = "box:Sorry, you haven't solved\nthe first level yet.";

// Level k has k floor cells before its treasure and is solved by walking
// right; its sounds start, banked and solved play samples 1, 2 and 3.
std::string pack_text(const char* name, int levels)
{
    std::string text = std::string("Zandrek Pack\nName: ") + name + "\n";
    for (const char* sound : {"hello\nData:\ni", "ding\nData:\nk", "fanfare\nData:\nm"})
        text += std::string("Sound:\nSpeed: 8000\nNumSamples: 1\nName: ") + sound + "\nend\nend\n";
    for (int k = 1; k <= levels; ++k)
        text += "Level:\nStart: hello\nBanked: ding\nSolved: fanfare\nLayout:\n #" + std::string(k + 3, '#') + "\n #@" +
                std::string(k, '-') + "$.#\n #" + std::string(k + 3, '#') + "\nend\nend\n";
    return text;
}

class Progression : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        Map_contents m = test_map_contents();
        Field_info& blank = m.boards[TEST_LEVELS + 2]; // the template of pack boards: -3
        blank.moves = blank.pushes = blank.zero = blank.undo_player_after = blank.undo_treasure_to = 9;
        blank.start_time = blank.solve_time = 9;
        blank.start_sound = blank.spare_sound = 7;
        open_map(m);
        give_sounds(state);
        make_player(state, "Anne", 1);
        state.max_level = 2;
    }
    Pack_info& add_pack(const char* name, int levels, const std::string& text = "")
    {
        std::string t = text.empty() ? pack_text(name, levels) : text;
        return *append_pack(state, read_pack_bytes(t.data(), t.size()));
    }
    void enter(Pack_info& pack, int n)
    {
        select_level_set(state, pack.number, n);
        offscreen().calls.clear();
    }
    int level() const { return state.pack ? state.pack->current_level->number : state.play_board.number; }
    void solve() { press(state, CODE_RIGHT, level() + 1); }
    // The boxes and sounds since the record was last cleared, then the current
    // level and the mode; the record is cleared.
    std::vector<std::string> effects()
    {
        std::vector<std::string> out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX) out.push_back("box:" + c.text);
            if (c.kind == CALL_WAVE_WRITE) out.push_back("sound:" + std::to_string(c.bytes.at(0)));
        }
        offscreen().calls.clear();
        out.push_back("level " + std::to_string(level()) + " mode " + std::to_string(state.mode));
        return out;
    }
    std::vector<std::string> after(void (*action)(Game_state&))
    {
        offscreen().calls.clear();
        action(state);
        return effects();
    }
    uint32_t mark(const char* pack_name)
    {
        uint32_t v = 0;
        platform_reg_get_dword((std::string("solved:") + pack_name).c_str(), &v);
        return v;
    }
};

using Effects = std::vector<std::string>;

TEST_F(Progression, APackLevelBecomesABoardOverTheBlankTemplate)
{
    Pack_info& pack =
        add_pack("Boards", 0, "Zandrek Pack\nLevel:\nLayout:\n ########\n #@-$.*+#\n ########\nend\nend\n");
    build_pack_board(state, *pack.levels);
    const Field_info& b = state.pristine_board;
    // clang-format off
    EXPECT_EQ(std::vector<int>({b.number, b.rows, b.columns, b.loose, b.banked_at_start, b.treasures, b.moves, b.pushes,
                                b.zero, int(b.start_time), int(b.solve_time), b.start_x, b.start_y, b.player_x, b.player_y,
                                b.undo_player_after, b.undo_player_before, b.undo_treasure_to, b.undo_treasure_from,
                                b.start_sound, b.banked_sound, b.solved_sound, b.spare_sound}),
              std::vector<int>({1, 16, 20, 1, 1, 2, 0, 0, 0, 0, 0, 7, 1, 7, 1, -1, -1, -1, -1, 255, 255, 255, 255}));
    EXPECT_EQ(std::vector<int>(b.kind_tiles, b.kind_tiles + 6), std::vector<int>({5, 5, 1, 4, 15, 16}));
    const int cells[][4] = { // column, tile, content, floor on row 1; a space keeps the template's cell
        {0, 22, KIND_FLOOR, KIND_FLOOR}, {1, 2, KIND_WALL, KIND_WALL}, {2, 5, KIND_PLAYER, KIND_FLOOR},
        {3, 1, KIND_FLOOR, KIND_FLOOR}, {4, 15, KIND_TREASURE, KIND_FLOOR}, {5, 4, KIND_BANK, KIND_BANK},
        {6, 16, KIND_TREASURE, KIND_BANK}, {7, 5, KIND_PLAYER, KIND_BANK}};
    // clang-format on
    for (const auto& c : cells) {
        const Field_cell& cell = b.cells[LEVEL_COLS + c[0]];
        EXPECT_EQ(std::vector<int>({cell.tile, cell.content, cell.floor}), std::vector<int>({c[1], c[2], c[3]}))
            << "column " << c[0];
    }
}

TEST_F(Progression, PackLevelsOpenOneByOneAsTheyAreSolved)
{
    Pack_info& pack = add_pack("Must Solve", 3);
    offscreen().calls.clear();
    select_level_set(state, pack.number, 0);
    EXPECT_EQ(state.pack, &pack);
    EXPECT_EQ(titles(), std::vector<std::string>{"Zandrek - Level 1"});
    EXPECT_EQ(effects(), (Effects{"sound:1", "level 1 mode 0"}));
    EXPECT_EQ(after(next_level), (Effects{"sound:14", MUST_SOLVE, "level 1 mode 0"}));
    EXPECT_EQ(after(previous_level), (Effects{"sound:15", AT_FIRST, "level 1 mode 0"}));
    solve(); // the last push banks, then the level's solved sound; the solved board stays on show
    EXPECT_EQ(effects(), (Effects{"sound:8", "sound:9", "sound:2", "sound:3", "level 2 mode 2"}));
    EXPECT_EQ(std::vector<int>(
                  {pack.highest_level, int(mark("Must Solve")), state.pristine_board.number, state.play_board.number}),
              std::vector<int>({2, 2, 2, 1}));
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.play_board.number, 2);
    EXPECT_EQ(after(next_level), (Effects{"sound:14", MUST_SOLVE, "level 2 mode 0"})); // level 2 is the highest open
    EXPECT_EQ(after(previous_level).back(), "level 1 mode 0");
    EXPECT_EQ(after(next_level).back(), "level 2 mode 0");
    EXPECT_EQ(state.play_board.number, 2);
    solve();
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(mark("Must Solve"), 3u);
    EXPECT_EQ(after(next_level).back(), "level 3 mode 0"); // the last level has no next
    solve();
    EXPECT_EQ(state.mode, MODE_ALL_DONE);
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty()); // no mark for the last level

    enter(pack, 1); // solving an earlier level again writes the mark though it does not rise
    solve();
    EXPECT_EQ(offscreen_calls_of(CALL_REG_SET).size(), 1u);
    EXPECT_EQ(std::make_pair(mark("Must Solve"), pack.highest_level), std::make_pair(3u, 3));
}

TEST_F(Progression, BuiltInLevelsOpenUpToTheMaximum)
{
    state.play_board.number = 1;
    offscreen().now_ms = 7000;
    state.fidget.state = 4;
    state.draw.last_reveal = 0;
    next_level(state);
    EXPECT_EQ(state.play_board.start_time, platform_now_seconds()); // the clock starts on entry
    EXPECT_EQ(state.fidget.state, 0);
    EXPECT_NE(state.draw.last_reveal, 0); // in a random order
    EXPECT_EQ(titles(), std::vector<std::string>{"Zandrek - Level 2"});
    EXPECT_EQ(effects(), (Effects{"level 2 mode 0"}));
    EXPECT_EQ(after(next_level), (Effects{"sound:14", MUST_SOLVE, "level 2 mode 0"}));
    EXPECT_EQ(after(choose_level), (Effects{"level 2 mode 0"})); // the chooser always declines
    state.play_board.number = 3;
    EXPECT_EQ(after(previous_level), (Effects{"level 2 mode 0"}));
    EXPECT_EQ(after(previous_level), (Effects{"level 1 mode 0"}));
    EXPECT_EQ(after(previous_level), (Effects{"sound:15", AT_FIRST, "level 1 mode 0"}));
    state.max_level = 1;
    EXPECT_EQ(after(choose_level), (Effects{"sound:14", NOT_SOLVED_FIRST, "level 1 mode 0"}));

    // A solved level is recorded and the next one waits behind the solved screen.
    state.play_board.number = 2;
    state.mode = MODE_PLAY;
    EXPECT_EQ(after(level_solved), (Effects{"level 2 mode 2"}));
    EXPECT_EQ(std::vector<int>({state.current_player->level, state.max_level, state.pristine_board.number}),
              std::vector<int>({2, 3, 3}));
    EXPECT_EQ(state.play_board.solve_time, platform_now_seconds());
    state.play_board.number = BUILTIN_LEVELS;
    state.pristine_board.number = 0;
    EXPECT_EQ(after(level_solved), (Effects{"level 50 mode 4"}));
    EXPECT_EQ(state.pristine_board.number, 0);

    // Leaving the title chooses the player, whose progress gives the first level.
    make_player(state, "Zandrek", 1);
    state.mode = MODE_TITLE;
    state.screen_board.solved_sound = 5;
    EXPECT_EQ(after([](Game_state& s) { press(s, CODE_OTHER_KEY); }),
              (Effects{"sound:13", "sound:5", "level 2 mode 0"}));
    state.mode = MODE_TITLE;
    offscreen().dialog_answers.push_back({-1, ""}); // a later choice cancelled: still the title
    handle_event(state, Game_event{EVENT_BUTTON, CODE_LEFT_DOWN, 0, 0, 0});
    EXPECT_EQ(state.mode, MODE_TITLE);

    // The developer may skip pack levels, but not past built-in level 50.
    std::strcpy(state.current_player->name, DEVELOPER_NAME);
    state.max_level = state.play_board.number = BUILTIN_LEVELS;
    state.mode = MODE_PLAY;
    EXPECT_EQ(after(next_level), (Effects{"sound:14", MUST_SOLVE, "level 50 mode 0"}));
    Pack_info& pack = add_pack("Open", 3);
    enter(pack, 1);
    for (int i = 0; i < 3; ++i) // the last level has no next, even for the developer
        next_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:1", "sound:1", "level 3 mode 0"}));
}

TEST_F(Progression, SelectingLevelSetsAndChoosingInThem)
{
    Pack_info& single = add_pack("Single", 1);
    Pack_info& triple = add_pack("Triple", 3);
    EXPECT_EQ(std::make_pair(single.number, triple.number), std::make_pair(1, 2));
    enter(single, 1);
    EXPECT_EQ(after(choose_level), (Effects{"sound:14", NOT_SOLVED_FIRST, "level 1 mode 0"}));
    enter(triple, 99); // past the end: the last level
    EXPECT_EQ(state.pack, &triple);
    EXPECT_EQ(state.play_board.number, 3);
    EXPECT_EQ(after(choose_level), (Effects{"level 3 mode 0"}));
    for (int beyond : {3, 7}) {
        select_level_set(state, beyond, 1); // past the list: nothing
        EXPECT_EQ(state.pack, &triple);
        EXPECT_TRUE(offscreen().calls.empty());
    }
    goto_level(state, 2);
    EXPECT_EQ(level(), 2);
    goto_level(state, -4);
    EXPECT_EQ(level(), 1);
    enter(triple, 0); // no level asked: the first
    EXPECT_EQ(level(), 1);

    state.start_level = 2;
    select_level_set(state, 0, 0);
    EXPECT_EQ(state.pack, nullptr);
    EXPECT_EQ(state.play_board.number, 2);
    select_level_set(state, -1, 3);
    EXPECT_EQ(effects(), (Effects{"level 3 mode 0"}));
}

} // namespace
