#include <set>

#include "engine/services.h"
#include "present_fixture.h"
#include "presentation/draw.h"
#include "presentation/fidget.h"

namespace
{

class Fidget_test : public Present_test
{
  protected:
    void SetUp() override
    {
        Present_test::SetUp();
        open_map(present_map_contents(), 1);
        read_board_record(state, state.play_board, 2);
        state.mode = MODE_PLAY;
        fidget_reset(state);
    }
    // One tick; the tile drawn at the player's cell, or -1 when none.
    int tick()
    {
        offscreen().calls.clear();
        fidget_tick(state, 0);
        auto blits = offscreen_calls_of(CALL_BLIT);
        if (blits.empty()) return -1;
        EXPECT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0]->a, 3 * TILE_W); // the player's cell (3, 2)
        EXPECT_EQ(blits[0]->b, 2 * TILE_H);
        // Each image has its own colour at pixel (0, 0): find which was drawn.
        uint32_t seen = pixel(3 * TILE_W, 2 * TILE_H);
        for (int k = 0; k < TEST_TILES; ++k)
            if (colour_rgb(image_pixel(k, 0, 0)) == seen &&
                colour_rgb(image_pixel(k, 1, 0)) == pixel(3 * TILE_W + 1, 2 * TILE_H))
                return k;
        return -2;
    }
};

TEST_F(Fidget_test, StatusAndStandingTileOnTheThirdTickThenSequenceZero)
{
    EXPECT_EQ(tick(), -1);
    EXPECT_EQ(tick(), -1);
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(tick(), 5); // the standing tile, with the status title
    EXPECT_EQ(titles().size(), 1u);
    EXPECT_EQ(state.fidget.state, 1);
    EXPECT_EQ(tick(), -1); // sequence 0 chosen, nothing drawn
    EXPECT_EQ(state.fidget.state, 4);
    EXPECT_EQ(tick(), 10);
    EXPECT_EQ(tick(), 11);
    EXPECT_EQ(tick(), -1); // 0xFFFF: time to choose
    EXPECT_EQ(state.fidget.state, 3);
}

TEST_F(Fidget_test, TheChoiceDrawsTwoRandomNumbersInOrder)
{
    for (int i = 0; i < 7; ++i)
        tick();
    ASSERT_EQ(state.fidget.state, 3);
    Reference_random reference;
    reference.seed = state.draw.random_seed;
    int sequence = reference.next() % 2 + 1;
    int wait = reference.next() % 60 + 20;
    EXPECT_EQ(tick(), 5);
    EXPECT_EQ(state.fidget.sequence, sequence);
    EXPECT_EQ(state.fidget.wait, wait);
    EXPECT_EQ(state.fidget.frame, 0);
    // The standing tile stays for `wait` ticks; then the sequence plays.
    for (int i = 1; i < wait; ++i)
        ASSERT_EQ(tick(), -1) << i;
    EXPECT_EQ(tick(), sequence == 1 ? 12 : 13);
}

TEST_F(Fidget_test, WithThreeSequencesOnlyOneAndTwoAreChosenAtRandom)
{
    std::set<int> chosen;
    for (int n = 0; n < 2000 && chosen.size() < 3; ++n) {
        int before = state.fidget.state;
        tick();
        if (before == 3) chosen.insert(state.fidget.sequence);
    }
    EXPECT_EQ(chosen, (std::set<int>{1, 2}));
}

TEST_F(Fidget_test, AnEmptySequenceShowsNoFrame)
{
    state.fidget.sequences[0][0] = FIDGET_END;
    for (int i = 0; i < 4; ++i)
        tick();
    EXPECT_EQ(tick(), -1);
    EXPECT_EQ(state.fidget.state, 3);
}

TEST_F(Fidget_test, FewerThanTwoSequencesLeaveNothingToChoose)
{
    for (int16_t count : {1, 0, -4}) {
        state.fidget.sequence_count = count;
        state.fidget.state = 3;
        state.fidget.counter = state.fidget.wait = 0;
        uint32_t seed = state.draw.random_seed;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(tick(), -1);
        EXPECT_EQ(state.fidget.state, 3);
        EXPECT_EQ(state.draw.random_seed, seed);
    }
}

TEST_F(Fidget_test, SequencesOutsideTheTableEndAtOnce)
{
    for (int i = 0; i < 4; ++i)
        tick();
    state.fidget.sequence = 40;
    EXPECT_EQ(tick(), -1);
    EXPECT_EQ(state.fidget.state, 3);
    state.fidget.state = 4;
    state.fidget.sequence = 0;
    state.fidget.frame = 20;
    EXPECT_EQ(tick(), -1);
    EXPECT_EQ(state.fidget.state, 3);
}

TEST_F(Fidget_test, NothingMovesOffThePlayScreen)
{
    state.mode = MODE_HELP;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(tick(), -1);
    EXPECT_EQ(state.fidget.counter, 0);
    EXPECT_TRUE(titles().empty());
}

TEST_F(Fidget_test, GameTimersRunAtTheirPeriodsAndStopAndRestartInOrder)
{
    ASSERT_EQ(create_game_timers(state), 0);
    auto sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->b, 300);
    EXPECT_EQ(sets[1]->b, 5000);
    uint32_t fidget_id = static_cast<uint32_t>(sets[0]->a), msgline_id = static_cast<uint32_t>(sets[1]->a);

    offscreen().calls.clear();
    stop_game_timers(state);
    auto kills = offscreen_calls_of(CALL_KILL_TIMER);
    ASSERT_EQ(kills.size(), 2u);
    EXPECT_EQ(kills[0]->a, msgline_id);
    EXPECT_EQ(kills[1]->a, fidget_id);

    restart_game_timers(state);
    sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->b, 5000);
    EXPECT_EQ(sets[1]->b, 300);
    EXPECT_GT(sets[0]->a, msgline_id);
}

} // namespace
