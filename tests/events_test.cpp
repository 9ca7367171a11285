// How the dispatcher treats each kind of event in each screen mode.
#include <gtest/gtest.h>

#include "board_fixture.h"
#include <cstring>

#include "engine/level_progression.h"

namespace {

class Events : public ::testing::Test {
protected:
    void SetUp() override
    {
        offscreen_reset();
        give_sounds(state);
        load_board(state, {"########", "#@-$-.-#", "#------#", "########"});
        make_player(state, "Anne");
        offscreen().calls.clear();
    }
    void send(int32_t type, int32_t code, int32_t flags = 0) { handle_event(state, Game_event{type, code, flags, 5, 5}); }
    size_t count(Call_kind kind) { return offscreen_calls_of(kind).size(); }
    void become_developer() { std::strcpy(state.current_player->name, "Quillbarrow"); }

    Game_state state;
};

TEST_F(Events, AnyKeyOrLeftClickOnAScreenOnlyLeavesIt)
{
    const int32_t screen_modes[] = {MODE_SOLVED, MODE_HELP, MODE_FINALE};
    for (int32_t mode : screen_modes) {
        state.mode = mode;
        send(EVENT_KEY, CODE_RIGHT);
        EXPECT_EQ(state.mode, MODE_PLAY) << "mode " << mode;
        EXPECT_EQ(state.play_board.player_x, 1) << "the key made a move in mode " << mode;
    }
    state.mode = MODE_HELP;
    send(EVENT_BUTTON, CODE_LEFT_DOWN);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

TEST_F(Events, ButtonsOtherThanTheLeftPressDoNotEndAScreen)
{
    state.mode = MODE_HELP;
    send(EVENT_BUTTON, CODE_RIGHT_DOWN);
    send(EVENT_MOTION, CODE_MOUSE_MOVED);
    send(EVENT_BUTTON, CODE_LEFT_UP);
    send(EVENT_KEY_UP, CODE_KEY_RELEASED);
    EXPECT_EQ(state.mode, MODE_HELP);
    send(EVENT_BUTTON, CODE_RIGHT_UP);  // undo needs play: nothing happens
    EXPECT_EQ(state.mode, MODE_HELP);
}

TEST_F(Events, TheScreenChainAfterTheLastLevelEndsBackInPlay)
{
    state.mode = MODE_ALL_DONE;
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_DONE_TEXT);
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_FINALE);
    EXPECT_EQ(state.finale_seen, 0);
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.finale_seen, 1);
    EXPECT_EQ(state.board_shown, 1);
}

TEST_F(Events, HelpKeysShowTheHelpScreen)
{
    const int32_t help_codes[] = {CODE_ESCAPE, CODE_F1, CODE_SLASH};
    for (int32_t code : help_codes) {
        state.mode = MODE_PLAY;
        press(state, code);
        EXPECT_EQ(state.mode, MODE_HELP);
    }
}

TEST_F(Events, OtherKeysInPlayDoNothing)
{
    const int32_t idle_codes[] = {2, 7, 10, CODE_F8, CODE_F9, CODE_M, CODE_W, CODE_OTHER_KEY, CODE_KEY_RELEASED,
                                  42, 49, 60, -1, 64, 1000};
    for (int32_t code : idle_codes) press(state, code);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.play_board.moves, 0);
    EXPECT_TRUE(offscreen().calls.empty());
}

TEST_F(Events, VimKeysMoveLikeArrows)
{
    press(state, CODE_L);
    press(state, CODE_J);
    press(state, CODE_H);
    press(state, CODE_K);
    EXPECT_EQ(state.play_board.moves, 4);
    EXPECT_EQ(state.play_board.player_x, 1);
    EXPECT_EQ(state.play_board.player_y, 1);
}

TEST_F(Events, RepaintInPlayDrawsEveryCellWithoutClearingOrRetitling)
{
    send(EVENT_PAINT, CODE_PAINT);
    EXPECT_EQ(count(CALL_BLIT), static_cast<size_t>(FIELD_MAX_CELLS));
    EXPECT_EQ(count(CALL_FILL), 0u);
    EXPECT_EQ(count(CALL_TITLE), 0u);
    EXPECT_EQ(state.fidget.state, 0);
    EXPECT_EQ(state.fidget.wait, 3);
}

TEST_F(Events, RepaintShowsHelpTextOnlyOnTheHelpBoard)
{
    state.mode = MODE_HELP;
    state.screen_board.number = BOARD_HELP;
    send(EVENT_PAINT, CODE_PAINT);
    EXPECT_GT(count(CALL_TEXT), 0u);
    offscreen().calls.clear();
    state.screen_board.number = BOARD_ABOUT;
    send(EVENT_PAINT, CODE_PAINT);
    EXPECT_EQ(count(CALL_TEXT), 0u);
    EXPECT_EQ(count(CALL_BOX), 0u);  // the about boxes are not shown again
}

TEST_F(Events, RepaintAfterTheLastLevelShowsTheSolvedText)
{
    state.mode = MODE_ALL_DONE;
    send(EVENT_PAINT, CODE_PAINT);
    EXPECT_GT(count(CALL_TEXT), 0u);
    EXPECT_EQ(state.mode, MODE_ALL_DONE);
}

TEST_F(Events, TheEKeyRephasesBothGameTimers)
{
    state.fidget_timer = std::make_unique<Periodic_timer>(state, 0, 300000, [](Game_state&, uint32_t) {}, 0);
    state.msgline_timer = std::make_unique<Periodic_timer>(state, 5, 0, [](Game_state&, uint32_t) {}, 0);
    offscreen().calls.clear();
    press(state, CODE_E);
    auto armed = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(armed.size(), 2u);
    EXPECT_EQ(armed[0]->b, 5000);  // the message-line timer first
    EXPECT_EQ(armed[1]->b, 300);
    EXPECT_EQ(offscreen().timers.size(), 2u);
}

TEST_F(Events, ChoosingALevelBeforeSolvingTheFirstIsRefused)
{
    state.max_level = 1;
    press(state, CODE_G);
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text, "Sorry, you haven't solved\nthe first level yet.");
    EXPECT_EQ(boxes[0]->a, BOX_WARN);
    EXPECT_EQ(sounds_played(), (std::vector<int>{SPEECH_REFUSED}));
}

TEST_F(Events, TheQuestionMarkOpensTheLocalHelpPage)
{
    press(state, CODE_QUESTION);
    auto urls = offscreen_calls_of(CALL_OPEN_URL);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0]->text, "C:\\zandrek\\zandhelp.html");
}

TEST_F(Events, DeveloperKeysWorkOnlyForTheDeveloperPlayer)
{
    const int32_t developer_codes[] = {CODE_F8, CODE_B, CODE_C, CODE_D, CODE_F, CODE_S, CODE_T, CODE_V, CODE_X};
    for (int32_t code : developer_codes) press(state, code);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_TRUE(offscreen().calls.empty());

    become_developer();
    press(state, CODE_V);
    EXPECT_EQ(state.mode, MODE_FINALE);
    state.mode = MODE_PLAY;
    press(state, CODE_B);
    EXPECT_EQ(state.mode, MODE_DONE_TEXT);
}

TEST_F(Events, TheDeveloperNameIsCaseSensitive)
{
    std::strcpy(state.current_player->name, "quillbarrow");
    press(state, CODE_V);
    EXPECT_EQ(state.mode, MODE_PLAY);
    state.current_player = nullptr;  // nobody is the developer without a player
    press(state, CODE_V);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

TEST_F(Events, DeveloperXReturnsToTheBuiltInLevels)
{
    Pack_info pack;
    state.pack = &pack;
    become_developer();
    press(state, CODE_X);
    EXPECT_EQ(state.pack, nullptr);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

}  // namespace
