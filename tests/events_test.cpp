// How the dispatcher treats each kind of event in each screen mode.
#include <gtest/gtest.h>

#include <cstring>

#include "board_fixture.h"
#include "engine/level_progression.h"

namespace
{

class Events : public Board_test
{
  protected:
    void SetUp() override
    {
        Board_test::SetUp();
        load({"########", "#@-$-.-#", "#------#", "########"});
        make_player(state, "Anne");
    }
    void send(int32_t type, int32_t code, int32_t flags = 0)
    {
        handle_event(state, Game_event{type, code, flags, 5, 5});
    }
    size_t count(Call_kind kind) { return offscreen_calls_of(kind).size(); }
};

TEST_F(Events, AnyKeyOrLeftClickOnAScreenOnlyLeavesIt)
{
    const std::pair<int32_t, int32_t> leaving[] = {
        {EVENT_KEY, CODE_RIGHT}, {EVENT_KEY, CODE_OTHER_KEY}, {EVENT_BUTTON, CODE_LEFT_DOWN}};
    for (int32_t mode : {MODE_SOLVED, MODE_HELP, MODE_FINALE})
        for (auto [type, code] : leaving) {
            state.mode = mode;
            state.play_board.number = 7;
            send(type, code);
            EXPECT_EQ(state.mode, MODE_PLAY) << mode << " " << code;
            EXPECT_EQ(state.play_board.player_x, 1) << "the event acted in mode " << mode;
            EXPECT_EQ(state.walk_timer, nullptr);
        }
    // Nothing else ends a screen, and undo needs play.
    state.mode = MODE_HELP;
    const std::pair<int32_t, int32_t> staying[] = {{EVENT_BUTTON, CODE_RIGHT_DOWN}, {EVENT_MOTION, CODE_MOUSE_MOVED},
                                                   {EVENT_BUTTON, CODE_LEFT_UP},    {EVENT_KEY_UP, CODE_KEY_RELEASED},
                                                   {EVENT_BUTTON, CODE_RIGHT_UP},   {EVENT_BUTTON, CODE_RIGHT}};
    for (auto [type, code] : staying)
        send(type, code);
    EXPECT_EQ(state.mode, MODE_HELP);

    // After the last level: the closing text, the finale, then play again.
    state.mode = MODE_ALL_DONE;
    state.finale_seen = 0;
    for (int32_t next : {MODE_DONE_TEXT, MODE_FINALE, MODE_PLAY}) {
        EXPECT_EQ(state.finale_seen, 0);
        press(state, CODE_OTHER_KEY);
        EXPECT_EQ(state.mode, next);
    }
    EXPECT_EQ(state.finale_seen, 1);
    EXPECT_EQ(state.board_shown, 1);
    EXPECT_EQ(titles().back(), "Zandrek - Level 7");
    state.mode = 99; // no such screen: play again
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

TEST_F(Events, KeysInPlay)
{
    press(state, CODE_L);
    press(state, CODE_J);
    press(state, CODE_H);
    press(state, CODE_K);
    EXPECT_EQ(state.play_board.moves, 4);
    EXPECT_EQ(state.play_board.player_x, 1);
    EXPECT_EQ(state.play_board.player_y, 1);

    offscreen().calls.clear();
    for (int32_t code : std::initializer_list<int32_t>{2, 7, 10, CODE_F8, CODE_F9, CODE_M, CODE_W, CODE_OTHER_KEY,
                                                       CODE_KEY_RELEASED, 42, 49, 60, -1, 64, 1000})
        press(state, code);
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.play_board.moves, 4);
    EXPECT_TRUE(offscreen().calls.empty());

    for (int32_t code : {CODE_ESCAPE, CODE_F1, CODE_SLASH}) {
        state.mode = MODE_PLAY;
        press(state, code);
        EXPECT_EQ(state.mode, MODE_HELP);
    }
    state.mode = MODE_PLAY;
    press(state, CODE_A);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(count(CALL_BOX), 1u);

    offscreen().calls.clear();
    state.mode = MODE_PLAY;
    state.max_level = 1;
    press(state, CODE_G);
    EXPECT_EQ(box_texts(), std::vector<std::string>{"Sorry, you haven't solved\nthe first level yet."});
    EXPECT_EQ(offscreen_calls_of(CALL_BOX)[0]->a, BOX_WARN);
    EXPECT_EQ(sounds_played(), (std::vector<int>{SPEECH_REFUSED}));
    press(state, CODE_QUESTION);
    ASSERT_EQ(count(CALL_OPEN_URL), 1u);
    EXPECT_EQ(offscreen_calls_of(CALL_OPEN_URL)[0]->text, "C:\\zandrek\\zandhelp.html");
}

TEST_F(Events, RepaintDrawsWhatEachModeShows)
{
    struct Repaint {
        int32_t mode;
        int screen;
        size_t texts;
        bool random_order;
    };
    const Repaint repaints[] = {
        {MODE_PLAY, BOARD_HELP, 0, true},        {MODE_TITLE, BOARD_TITLE, 0, false},
        {MODE_SOLVED, BOARD_HELP, 10, true},     {MODE_HELP, BOARD_HELP, 22, true},
        {MODE_HELP, BOARD_ABOUT, 0, true},       {MODE_ALL_DONE, BOARD_HELP, 10, true},
        {MODE_DONE_TEXT, BOARD_BLANK, 10, true}, {MODE_FINALE, BOARD_FINALE, 0, false},
    };
    for (const Repaint& r : repaints) {
        state.mode = r.mode;
        state.screen_board = state.play_board;
        state.screen_board.number = static_cast<int16_t>(r.screen);
        state.fidget.state = 4;
        state.draw.last_reveal = 0;
        offscreen().calls.clear();
        send(EVENT_PAINT, CODE_PAINT);
        EXPECT_EQ(count(CALL_BLIT), static_cast<size_t>(FIELD_MAX_CELLS)) << r.mode;
        EXPECT_EQ(count(CALL_TEXT), r.texts) << r.mode << " " << r.screen;
        EXPECT_EQ(count(CALL_FILL) + count(CALL_TITLE) + count(CALL_BOX), 0u);
        EXPECT_EQ(state.draw.last_reveal != 0, r.random_order) << r.mode;
        EXPECT_EQ(state.mode, r.mode);
        EXPECT_EQ(state.fidget.state, 0);
        EXPECT_EQ(state.fidget.wait, 3);
    }
}

TEST_F(Events, TheEKeyRephasesBothGameTimers)
{
    state.fidget_timer = std::make_unique<Periodic_timer>(
        state, 0, 300000, [](Game_state&, uint32_t) {}, 0);
    state.msgline_timer = std::make_unique<Periodic_timer>(
        state, 5, 0, [](Game_state&, uint32_t) {}, 0);
    offscreen().calls.clear();
    press(state, CODE_E);
    auto armed = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(armed.size(), 2u);
    EXPECT_EQ(armed[0]->b, 5000); // the message-line timer first
    EXPECT_EQ(armed[1]->b, 300);
    EXPECT_EQ(offscreen().timers.size(), 2u);
}

TEST_F(Events, DeveloperKeysWorkOnlyForTheDeveloperPlayer)
{
    const int32_t developer_codes[] = {CODE_F8, CODE_B, CODE_C, CODE_D, CODE_F, CODE_S, CODE_T, CODE_V, CODE_X};
    for (const char* name : {"Anne", "quillbarrow", "Quillbarrowx"}) {
        std::strcpy(state.current_player->name, name);
        for (int32_t code : developer_codes)
            press(state, code);
        EXPECT_EQ(state.mode, MODE_PLAY) << name;
        EXPECT_TRUE(offscreen().calls.empty()) << name;
    }
    state.current_player = nullptr; // nobody is the developer without a player
    press(state, CODE_V);
    EXPECT_EQ(state.mode, MODE_PLAY);

    make_player(state, "Quillbarrow");
    press(state, CODE_V);
    EXPECT_EQ(state.mode, MODE_FINALE);
    state.mode = MODE_PLAY;
    press(state, CODE_B);
    EXPECT_EQ(state.mode, MODE_DONE_TEXT);
    Pack_info pack;
    state.pack = &pack;
    state.mode = MODE_PLAY;
    press(state, CODE_X);
    EXPECT_EQ(state.pack, nullptr);
    EXPECT_EQ(state.mode, MODE_PLAY);
}

} // namespace
