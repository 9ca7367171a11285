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
    // The boxes and the first byte of each sound, in the order they came.
    std::vector<std::string> effects()
    {
        std::vector<std::string> out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX) out.push_back("box:" + c.text);
            if (c.kind == CALL_WAVE_WRITE) out.push_back("sound:" + std::to_string(c.bytes.at(0)));
        }
        offscreen().calls.clear();
        return out;
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
    EXPECT_EQ(std::vector<int>({b.number,
                                b.rows,
                                b.columns,
                                b.loose,
                                b.banked_at_start,
                                b.treasures,
                                b.moves,
                                b.pushes,
                                b.zero,
                                static_cast<int>(b.start_time),
                                static_cast<int>(b.solve_time),
                                b.start_x,
                                b.start_y,
                                b.player_x,
                                b.player_y,
                                b.undo_player_after,
                                b.undo_player_before,
                                b.undo_treasure_to,
                                b.undo_treasure_from,
                                b.start_sound,
                                b.banked_sound,
                                b.solved_sound,
                                b.spare_sound}),
              std::vector<int>({1, 16, 20, 1, 1, 2, 0, 0, 0, 0, 0, 7, 1, 7, 1, -1, -1, -1, -1, 255, 255, 255, 255}));
    EXPECT_EQ(std::vector<int>(b.kind_tiles, b.kind_tiles + 6), std::vector<int>({5, 5, 1, 4, 15, 16}));
    // clang-format off
    const int cells[][4] = { // column, tile, content, floor on row 1
        {0, 22, KIND_FLOOR, KIND_FLOOR}, // a space keeps the template's cell
        {1, 2, KIND_WALL, KIND_WALL},     {2, 5, KIND_PLAYER, KIND_FLOOR},    {3, 1, KIND_FLOOR, KIND_FLOOR},
        {4, 15, KIND_TREASURE, KIND_FLOOR}, {5, 4, KIND_BANK, KIND_BANK},     {6, 16, KIND_TREASURE, KIND_BANK},
        {7, 5, KIND_PLAYER, KIND_BANK},
    };
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
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.board_shown, 1);
    EXPECT_EQ(titles(), std::vector<std::string>{"Zandrek - Level 1"});
    EXPECT_EQ(effects(), Effects{"sound:1"});
    next_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:14", MUST_SOLVE}));
    previous_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:15", AT_FIRST}));
    EXPECT_EQ(level(), 1);

    solve(); // the last push banks, then the level's solved sound
    EXPECT_EQ(effects(), (Effects{"sound:8", "sound:9", "sound:2", "sound:3"}));
    EXPECT_EQ(state.mode, MODE_SOLVED);
    EXPECT_EQ(pack.highest_level, 2);
    EXPECT_EQ(mark("Must Solve"), 2u);
    EXPECT_EQ(state.pristine_board.number, 2);
    EXPECT_EQ(state.play_board.number, 1); // the solved board stays on show
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.play_board.number, 2);
    effects();
    next_level(state); // level 2 is the highest open
    EXPECT_EQ(effects(), (Effects{"sound:14", MUST_SOLVE}));
    previous_level(state);
    EXPECT_EQ(level(), 1);
    next_level(state);
    EXPECT_EQ(level(), 2);
    EXPECT_EQ(state.play_board.number, 2);

    solve();
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(mark("Must Solve"), 3u);
    next_level(state); // the last level has no next
    EXPECT_EQ(level(), 3);
    effects();
    solve();
    EXPECT_EQ(state.mode, MODE_ALL_DONE);
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty()); // no mark for the last level

    // Solving an earlier level again writes the mark though it does not rise.
    enter(pack, 1);
    solve();
    EXPECT_EQ(offscreen_calls_of(CALL_REG_SET).size(), 1u);
    EXPECT_EQ(mark("Must Solve"), 3u);
    EXPECT_EQ(pack.highest_level, 3);
}

TEST_F(Progression, BuiltInLevelsOpenUpToTheMaximum)
{
    state.play_board.number = 1;
    next_level(state);
    EXPECT_EQ(state.play_board.number, 2);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(titles().back(), "Zandrek - Level 2");
    effects();
    next_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:14", MUST_SOLVE}));
    EXPECT_EQ(state.play_board.number, 2);
    choose_level(state); // the chooser always declines
    EXPECT_TRUE(effects().empty());
    previous_level(state);
    EXPECT_EQ(state.play_board.number, 1);
    previous_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:15", AT_FIRST}));
    state.max_level = 1;
    choose_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:14", NOT_SOLVED_FIRST}));

    // A solved level is recorded and the next one waits behind the solved screen.
    state.play_board.number = 2;
    state.mode = MODE_PLAY;
    level_solved(state);
    EXPECT_EQ(state.mode, MODE_SOLVED);
    EXPECT_EQ(state.current_player->level, 2);
    EXPECT_EQ(state.max_level, 3);
    EXPECT_EQ(state.pristine_board.number, 3);
    EXPECT_NE(state.play_board.solve_time, 0u);
    state.play_board.number = BUILTIN_LEVELS;
    state.pristine_board.number = 0;
    level_solved(state);
    EXPECT_EQ(state.mode, MODE_ALL_DONE);
    EXPECT_EQ(state.pristine_board.number, 0);

    // Leaving the title chooses the player, whose progress gives the first level.
    make_player(state, "Zandrek", 1);
    state.mode = MODE_TITLE;
    state.screen_board.solved_sound = 5;
    effects();
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.play_board.number, 2);
    EXPECT_EQ(effects(), (Effects{"sound:13", "sound:5"}));
    state.mode = MODE_TITLE;
    offscreen().dialog_answers.push_back({-1, ""}); // a later choice cancelled: still the title
    handle_event(state, Game_event{EVENT_BUTTON, CODE_LEFT_DOWN, 0, 0, 0});
    EXPECT_EQ(state.mode, MODE_TITLE);

    // The developer may skip pack levels, but not past built-in level 50.
    std::strcpy(state.current_player->name, DEVELOPER_NAME);
    state.max_level = state.play_board.number = BUILTIN_LEVELS;
    effects();
    next_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:14", MUST_SOLVE}));
    Pack_info& pack = add_pack("Open", 3);
    enter(pack, 1);
    next_level(state);
    next_level(state);
    EXPECT_EQ(level(), 3);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Progression, SelectingLevelSetsAndChoosingInThem)
{
    Pack_info& single = add_pack("Single", 1);
    Pack_info& triple = add_pack("Triple", 3);
    EXPECT_EQ(single.number, 1);
    EXPECT_EQ(triple.number, 2);
    enter(single, 1);
    choose_level(state);
    EXPECT_EQ(effects(), (Effects{"sound:14", NOT_SOLVED_FIRST}));
    enter(triple, 99); // past the end: the last level
    EXPECT_EQ(state.pack, &triple);
    EXPECT_EQ(level(), 3);
    EXPECT_EQ(state.play_board.number, 3);
    choose_level(state);
    EXPECT_TRUE(effects().empty());
    for (int beyond : {3, 7}) {
        select_level_set(state, beyond, 1); // past the list: nothing
        EXPECT_EQ(state.pack, &triple);
        EXPECT_TRUE(offscreen().calls.empty());
    }
    goto_level(state, 2);
    EXPECT_EQ(level(), 2);
    goto_level(state, -4);
    EXPECT_EQ(level(), 1);

    state.start_level = 2;
    select_level_set(state, 0, 0);
    EXPECT_EQ(state.pack, nullptr);
    EXPECT_EQ(state.play_board.number, 2);
    select_level_set(state, -1, 3);
    EXPECT_EQ(state.play_board.number, 3);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

} // namespace
