#include <cstring>

#include "board_fixture.h"
#include "engine/services.h"
#include "present_fixture.h"
#include "presentation/fidget.h"
#include "presentation/message_line.h"

namespace
{

class Message_line_test : public Present_test
{
  protected:
    void SetUp() override
    {
        Present_test::SetUp();
        open_map(present_map_contents(), 1);
        ASSERT_EQ(create_game_timers(state), 0);
        make_player(state, "Alice");
    }
    // Enters board 2 at the current virtual time as the engine does.
    void enter()
    {
        read_board_record(state, state.play_board, 2);
        state.play_board.start_time = static_cast<uint32_t>(platform_now_seconds());
        state.mode = MODE_PLAY;
        set_message_line(state, state.play_board);
        fidget_reset(state);
    }
    std::string title() const
    {
        auto t = titles();
        return t.empty() ? "" : t.back();
    }
};

TEST_F(Message_line_test, RemarksForEveryBoardNumber)
{
    state.cpyr_text = "Notice of the map";
    const std::pair<int, const char*> expected[] = {
        {7, "Zandrek - Level 7"},
        {1, "Zandrek - Level 1"},
        {0, ""},
        {-1, "Greetings - Click or press any key to begin"},
        {-2, "May I Help You?"},
        {-3, "Oh, I say.  Bravo.  Frightfully good."},
        {-4, "   Jumpin' Jehosephat!!!"},
        {-5, "Notice of the map"},
        {-6, ""},
        {-32768, ""},
    };
    Field_info board{};
    for (auto [number, text] : expected) {
        board.number = static_cast<int16_t>(number);
        set_message_line(state, board);
        EXPECT_EQ(title(), text) << number;
    }
}

TEST_F(Message_line_test, StatusComesOnTheThirdFidgetTickAfterEntry)
{
    // Entered just after a tick: the third tick is 0.9 s away.
    const std::string status = "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=00:0";
    advance_ms(state, 310);
    enter();
    EXPECT_EQ(title(), "Zandrek - Level 2");
    advance_ms(state, 889);
    EXPECT_EQ(title(), "Zandrek - Level 2");
    advance_ms(state, 1);
    EXPECT_EQ(title().substr(0, status.size()), status);
    EXPECT_EQ(titles().size(), 2u);

    // Entered just before a tick: only 0.6 s and a little.
    advance_ms(state, 1790); // now 2990
    enter();
    advance_ms(state, 609);
    EXPECT_EQ(title(), "Zandrek - Level 2");
    advance_ms(state, 1);
    EXPECT_EQ(title().substr(0, status.size()), status);
}

TEST_F(Message_line_test, TheClockAdvancesEveryFiveSecondsWhileThePlayerPauses)
{
    enter();
    advance_ms(state, 4999);
    EXPECT_EQ(title(), "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=00:00");
    advance_ms(state, 1);
    EXPECT_EQ(title(), "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=00:05");
    advance_ms(state, 60000);
    EXPECT_EQ(title(), "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=01:05");
    advance_ms(state, 3600000);
    EXPECT_EQ(title(), "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=01:01:05");
}

TEST_F(Message_line_test, AMovingPlayerSeesTheCountsOnlyWhenPausing)
{
    enter();
    size_t before = titles().size();
    for (int step = 1; step <= 20; ++step) {
        advance_ms(state, 550);
        state.play_board.moves = static_cast<uint16_t>(step);
        state.play_board.pushes = static_cast<uint16_t>(step / 3);
        fidget_reset(state);
    }
    EXPECT_EQ(titles().size(), before); // the 5 s refreshes found the animation restarted
    advance_ms(state, 900);
    EXPECT_EQ(title(), "Zandrek: Alice - Level=2 Moves=20 Pushes=6 Time=00:11");
}

TEST_F(Message_line_test, OtherScreensKeepTheirRemark)
{
    enter();
    advance_ms(state, 1000);
    state.mode = MODE_HELP;
    state.screen_board.number = BOARD_HELP;
    set_message_line(state, state.screen_board);
    advance_ms(state, 20000);
    EXPECT_EQ(title(), "May I Help You?");
    show_status_title(state);
    EXPECT_EQ(title(), "May I Help You?");
}

TEST_F(Message_line_test, TheNameIsEmptyWithoutAPlayerAndBoundedWithALongOne)
{
    state.current_player = nullptr;
    enter();
    show_status_title(state);
    EXPECT_EQ(title(), "Zandrek:  - Level=2 Moves=0 Pushes=0 Time=00:00");

    // A name that fills its field with no terminator stops at the field.
    Score_entry* p = make_player(state, "");
    std::memset(p->name, 'W', sizeof p->name);
    show_status_title(state);
    EXPECT_EQ(title(), "Zandrek: " + std::string(20, 'W') + " - Level=2 Moves=0 Pushes=0 Time=00:00");
}

} // namespace
