// The menu bar's commands and the keys not tied to a move, each run the way
// the window runs them, on the test map with a board of one treasure.
#include <gmock/gmock.h>

#include "engine/click_to_move.h"
#include "map_fixture.h"
#include "presentation/message_line.h"
#include "presentation/screens.h"
#include "resources/resource_ids.h"
#include "shell/menus.h"
#include "shell/window_input.h"

namespace
{

using testing::ElementsAre;

// A step to the right, then a push of the treasure.
const std::vector<std::string> ROOM = {"#######", "#@-$-.#", "#######"};

class Commands : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        open_map(test_map_contents(), 1);
        make_player(state, "Anne", 1);
        state.max_level = 3;
        load_board(state, ROOM);
    }
    // The platform calls of one menu command, each as "kind text a b".
    std::vector<std::string> effects_of(int id)
    {
        offscreen().calls.clear();
        run_menu_command(state, id);
        std::vector<std::string> out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_MENU) out.push_back(c.text + " " + std::to_string(c.a) + " " + std::to_string(c.b));
            if (c.kind == CALL_SHELL) out.push_back(c.text + " " + std::to_string(c.a) + " " + std::to_string(c.b));
            if (c.kind == CALL_OPEN_URL) out.push_back("url " + c.text);
            if (c.kind == CALL_REG_SET) out.push_back("store " + c.text + " " + std::to_string(c.a));
        }
        return out;
    }
    int player_column() const { return state.play_board.player_x; }
};

TEST_F(Commands, EachSoundSwitchTurnsOverWithItsCheckMark)
{
    const std::tuple<const char*, int, bool Sound_state::*> rows[] = {
        {"speech", MENU_SPEECH, &Sound_state::speech_on},
        {"motion sounds", MENU_MOTION_SOUNDS, &Sound_state::motion_sounds_on},
    };
    for (const auto& [what, id, on] : rows) {
        SCOPED_TRACE(what);
        EXPECT_THAT(effects_of(id), ElementsAre("check " + std::to_string(id) + " 0"));
        EXPECT_FALSE(state.sound.*on);
        EXPECT_THAT(effects_of(id), ElementsAre("check " + std::to_string(id) + " 1"));
        EXPECT_TRUE(state.sound.*on);
    }
}

TEST_F(Commands, UndoTakesBackThePush)
{
    press_keys(state, ">>");
    run_menu_command(state, MENU_UNDO);
    EXPECT_EQ(player_column(), 2);
}

TEST_F(Commands, RestartPutsThePlayerAtTheStart)
{
    press_keys(state, ">>");
    run_menu_command(state, MENU_RESTART);
    EXPECT_EQ(player_column(), 1);
}

// The title the status line gives 65 seconds after one step, then `command`.
std::string status_after(Game_state& state, int command)
{
    press_keys(state, ">");
    advance_ms(state, 65000);
    run_menu_command(state, command);
    offscreen().calls.clear();
    show_status_title(state);
    return texts_of(CALL_TITLE).at(0);
}

TEST_F(Commands, RestartKeepsTheClockWithTheCounts)
{
    EXPECT_THAT(status_after(state, MENU_RESTART), testing::EndsWith("Level=7 Moves=1 Pushes=0 Time=01:05"));
}

TEST_F(Commands, AnotherLevelStartsItsOwnClock)
{
    EXPECT_THAT(status_after(state, MENU_LEVEL_BASE + 2), testing::EndsWith("Level=2 Moves=0 Pushes=0 Time=00:00"));
}

TEST_F(Commands, UndoOrRestartOnAScreenChangesNothing)
{
    press_keys(state, ">>");
    state.mode = MODE_HELP;
    for (int id : {MENU_UNDO, MENU_RESTART}) {
        run_menu_command(state, id);
        EXPECT_EQ(player_column(), 3) << id;
    }
}

TEST_F(Commands, AScreenItemKeepsTheModeOfAScreenNotOfPlay)
{
    const std::tuple<int, int32_t, int32_t> rows[] = {
        {MENU_QUICK_HELP, MODE_PLAY, MODE_HELP},
        {MENU_QUICK_HELP, MODE_TITLE, MODE_TITLE},
        {MENU_ABOUT, MODE_PLAY, MODE_HELP},
        {MENU_ABOUT, MODE_SOLVED, MODE_SOLVED},
    };
    for (const auto& [id, before, after] : rows) {
        state.mode = before;
        run_menu_command(state, id);
        EXPECT_EQ(state.mode, after) << id << " from mode " << before;
    }
}

TEST_F(Commands, EachPageItemOpensItsAddress)
{
    const std::pair<int, std::string> rows[] = {
        {MENU_MAKER_WEBSITE, "url http://www.ostrovane.example"},
        {MENU_RECENT_NEWS, "url http://www.ostrovane.example/zandrek/latest-v4.0.html"},
        {MENU_EXIT, "quit 0 0"},
    };
    for (const auto& [id, effect] : rows)
        EXPECT_THAT(effects_of(id), ElementsAre(effect)) << id;
}

TEST_F(Commands, AMagnifyItemResizesTheWindowMovingTheCheckMark)
{
    EXPECT_THAT(effects_of(MENU_MAGNIFY_3),
                ElementsAre("size client 960 576", "check 1221 0", "check 1223 1", "store magnify 3"));
    EXPECT_EQ(state.magnify, 3);
}

TEST_F(Commands, EachMagnifyItemSetsItsOwnMagnification)
{
    const std::pair<int, int> rows[] = {
        {MENU_MAGNIFY_4, 4}, {MENU_MAGNIFY_1, 1}, {MENU_MAGNIFY_2, 2}, {MENU_MAGNIFY_3, 3}};
    for (const auto& [id, magnify] : rows) {
        run_menu_command(state, id);
        EXPECT_EQ(state.magnify, magnify) << id;
    }
}

TEST_F(Commands, ALevelItemEntersItsLevel)
{
    run_menu_command(state, MENU_LEVEL_BASE + 2);
    EXPECT_EQ(std::make_tuple(state.mode, state.play_board.number), std::make_tuple(MODE_PLAY, 2));
}

TEST_F(Commands, NextOrPreviousLevelMovesOneLevel)
{
    run_menu_command(state, MENU_LEVEL_BASE + 2);
    using Command = void (*)(Game_state&);
    const std::tuple<const char*, Command, int> rows[] = {
        {"next by the menu", [](Game_state& s) { run_menu_command(s, MENU_NEXT_LEVEL); }, 3},
        {"previous by the menu", [](Game_state& s) { run_menu_command(s, MENU_PREVIOUS_LEVEL); }, 2},
        {"next by its key", [](Game_state& s) { press(s, CODE_N); }, 3},
        {"previous by its key", [](Game_state& s) { press(s, CODE_P); }, 2},
    };
    for (const auto& [what, command, level] : rows) {
        command(state);
        EXPECT_EQ(state.play_board.number, level) << what;
    }
}

TEST_F(Commands, TheMessageThatLeftTheFinaleIsFollowedByOneCongratulation)
{
    show_finale(state);
    on_window_input(state, INPUT_KEY_DOWN, VKEY_ESCAPE, 0);
    offscreen().calls.clear();
    after_window_message(state);
    after_window_message(state);
    EXPECT_THAT(box_texts(), ElementsAre(testing::StartsWith("**** YOU DID IT!!! ****\n")));
}

TEST(Window_input, EachKeyBecomesItsCode)
{
    const std::pair<uint32_t, int32_t> keys[] = {
        {VKEY_F1, CODE_F1},         {VKEY_F1 + 8, CODE_F9},     {VKEY_F10, CODE_F10},  {VKEY_UP, CODE_UP},
        {VKEY_DELETE, CODE_DELETE}, {VKEY_ESCAPE, CODE_ESCAPE}, {'A', CODE_OTHER_KEY}, {VKEY_F10 + 1, CODE_OTHER_KEY},
    };
    for (auto [virtual_key, code] : keys)
        EXPECT_EQ(key_code(virtual_key), code) << "key " << virtual_key;
}

TEST(Window_input, OnlyTheGamesCharactersHaveACode)
{
    const std::pair<char, int32_t> characters[] = {{'u', CODE_U},       {'?', CODE_QUESTION}, {'x', CODE_X},
                                                   {'U', CHAR_IGNORED}, {'i', CHAR_IGNORED},  {'q', CHAR_IGNORED}};
    for (auto [character, code] : characters)
        EXPECT_EQ(char_code(static_cast<unsigned char>(character)), code) << character;
}

TEST_F(Commands, AKeyOnTheTitleEntersTheChosenPlayersLevel)
{
    show_greeting(state);
    offscreen().dialog_answers.push_back({0, "Bea"});
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(std::make_tuple(state.mode, std::string(state.current_player->name), state.play_board.number),
              std::make_tuple(MODE_PLAY, std::string("Bea"), 1));
}

TEST_F(Commands, ThePlayerItemEntersTheChosenPlayersLevel)
{
    run_menu_command(state, MENU_LEVEL_BASE + 2);
    offscreen().dialog_answers.push_back({0, "Bea"});
    run_menu_command(state, MENU_PLAYER_NAME);
    EXPECT_EQ(std::make_tuple(std::string(state.current_player->name), state.play_board.number),
              std::make_tuple(std::string("Bea"), 1));
}

// Only a change of player can be cancelled: the first choice goes on with the name shown.
TEST_F(Commands, ACancelledChangeOfPlayerLeavesTheLevelBeingPlayed)
{
    offscreen().dialog_answers.push_back({0, "Bea"});
    run_menu_command(state, MENU_PLAYER_NAME);
    run_menu_command(state, MENU_LEVEL_BASE + 2);
    offscreen().dialog_answers.push_back({-1, ""});
    run_menu_command(state, MENU_PLAYER_NAME);
    EXPECT_EQ(std::make_tuple(std::string(state.current_player->name), state.play_board.number),
              std::make_tuple(std::string("Bea"), 2));
}

// At the first choice a cancel goes on with the name shown; a later one does not.
TEST_F(Commands, ALaterCancelledNameLeavesTheTitleShowing)
{
    show_greeting(state);
    offscreen().dialog_answers.push_back({-1, ""});
    press(state, CODE_OTHER_KEY);
    show_greeting(state);
    offscreen().dialog_answers.push_back({-1, ""});
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_TITLE);
}

// The speech for leaving the title, then the title board's own solved sound
// (the level entered here has none at its start).
TEST_F(Commands, LeavingTheTitlePlaysItsTwoSounds)
{
    Map_contents contents = test_map_contents();
    for (Field_info& board : contents.boards)
        if (board.number == BOARD_TITLE) board.solved_sound = 20;
    open_map(contents, 1);
    give_sounds(state);
    show_greeting(state);
    offscreen().dialog_answers.push_back({0, "Bea"});
    offscreen().calls.clear();
    press(state, CODE_OTHER_KEY);
    EXPECT_THAT(sounds_played(), ElementsAre(13, 20));
}

TEST_F(Commands, TheLastPushShowsTheSolvedText)
{
    offscreen().calls.clear();
    press_keys(state, ">>>");
    EXPECT_THAT(texts_of(CALL_TEXT), testing::Contains("Anne Has Solved Level 7"));
}

TEST_F(Commands, SolvingTheLastBuiltInLevelEndsTheBuiltInLevels)
{
    state.play_board.number = BUILTIN_LEVELS;
    press_keys(state, ">>>");
    EXPECT_EQ(state.mode, MODE_ALL_DONE);
}

TEST_F(Commands, AMouseMessageCarriesItsPointer)
{
    on_window_input(state, INPUT_RIGHT_DOWN, MOUSE_KEY_SHIFT | MOUSE_KEY_CONTROL, (30 << 16) | 50);
    EXPECT_EQ(std::make_tuple(state.last_pointer_x, state.last_pointer_y), std::make_tuple(50, 30));
}

// Held with the button, Shift alone makes the walk push straight on: in four
// ticks two pushes, where the walk round the treasure makes none.
TEST_F(Commands, OnlyShiftWithTheButtonMakesAStraightWalk)
{
    const std::pair<uint32_t, int> rows[] = {{0, 0}, {MOUSE_KEY_SHIFT, 2}, {MOUSE_KEY_CONTROL, 0}};
    for (const auto& [keys, pushes] : rows) {
        SCOPED_TRACE(keys);
        load_board(state, {"#######", "#@-$--#", "#-----#", "#######"});
        int32_t x = 0, y = 0;
        cell_pointer(state, 5, 1, &x, &y);
        on_window_input(state, INPUT_LEFT_DOWN, keys, static_cast<uint32_t>(y) << 16 | static_cast<uint32_t>(x));
        advance_ms(state, 200);
        EXPECT_EQ(state.play_board.pushes, pushes);
    }
}

TEST_F(Commands, ALeftButtonMessageWalksTowardItsCell)
{
    int32_t x = 0, y = 0;
    cell_pointer(state, 2, 1, &x, &y);
    on_window_input(state, INPUT_LEFT_DOWN, 0, static_cast<uint32_t>(y) << 16 | static_cast<uint32_t>(x));
    advance_ms(state, 50);
    EXPECT_EQ(player_column(), 2);
}

TEST_F(Commands, TheLeftButtonHoldsTheMouseUntilItIsUp)
{
    on_window_input(state, INPUT_LEFT_DOWN, 0, (12 << 16) | 40);
    const bool held = offscreen().mouse_captured;
    on_window_input(state, INPUT_LEFT_UP, 0, (12 << 16) | 40);
    EXPECT_EQ(std::make_tuple(held, offscreen().mouse_captured), std::make_tuple(true, false));
}

TEST_F(Commands, ATypedCharacterIsItsCommand)
{
    press_keys(state, ">>");
    on_window_input(state, INPUT_CHAR, 'u', 0);
    EXPECT_EQ(player_column(), 2); // the push undone
}

// Its key already went to the game; the character must not count twice.
TEST_F(Commands, AnIgnoredCharacterLeavesTheTitleUp)
{
    show_greeting(state);
    on_window_input(state, INPUT_CHAR, 'i', 0);
    EXPECT_EQ(state.mode, MODE_TITLE);
}

TEST_F(Commands, QOrShiftQQuitsAtOnce)
{
    for (uint32_t q : {'q', 'Q'}) {
        offscreen().quit_posted = false;
        on_window_input(state, INPUT_CHAR, q, 0);
        EXPECT_TRUE(offscreen().quit_posted) << static_cast<char>(q);
    }
}

// The key that solved the level comes up on the solved screen and must not end it.
TEST_F(Commands, AKeyReleaseKeepsTheSolvedScreen)
{
    state.mode = MODE_SOLVED;
    on_window_input(state, INPUT_KEY_UP, VKEY_RIGHT, 0);
    EXPECT_EQ(state.mode, MODE_SOLVED);
}

// Of the mouse's messages only a left press is a player's answer to a screen.
TEST_F(Commands, OnlyALeftPressAmongMouseMessagesEndsAScreen)
{
    for (Window_input input : {INPUT_MOUSE_MOVE, INPUT_LEFT_UP, INPUT_RIGHT_DOWN, INPUT_RIGHT_UP, INPUT_LEFT_DOWN}) {
        SCOPED_TRACE(input);
        state.mode = MODE_SOLVED;
        on_window_input(state, input, 0, (12 << 16) | 40);
        EXPECT_EQ(state.mode != MODE_SOLVED, input == INPUT_LEFT_DOWN);
    }
}

TEST_F(Commands, AnUnknownIdDoesNothing)
{
    EXPECT_THAT(effects_of(MENU_LEVEL_LAST + 1), ElementsAre());
}

} // namespace
