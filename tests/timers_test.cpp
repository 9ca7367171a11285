// Window timers, the periodic timer object, the two game timers, the idle
// animation and when the status line reaches the window title.
#include <set>

#include "board_fixture.h"
#include "engine/services.h"
#include "map_fixture.h"
#include "presentation/fidget.h"
#include "presentation/timers.h"

namespace
{

std::vector<int64_t> calls_at;
Periodic_timer* self_stopping = nullptr;

void count_fire(void* context)
{
    ++*static_cast<int*>(context);
}
void note_call(Game_state&, uint32_t user_value)
{
    calls_at.push_back(user_value == 77 ? offscreen().now_ms : -1);
}
void stop_self(Game_state& state, uint32_t value)
{
    note_call(state, value);
    self_stopping->stop();
}

class Timers : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        calls_at.clear();
    }
};

TEST_F(Timers, NodesFireOnceNewestFirstAndIdsAreNeverReused)
{
    int count = 0;
    Timer_node* a = timer_arm(state, 0, 250000, count_fire, &count);
    Timer_node* b = timer_arm(state, 1, 500000, count_fire, &count);
    EXPECT_EQ(a->id, 1u);
    EXPECT_EQ(b->id, 2u);
    EXPECT_EQ(state.timers.head, b);
    auto sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->b, 250);
    EXPECT_EQ(sets[1]->b, 1500);
    advance_ms(state, 2000);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(state.timers.head, nullptr);
    for (uint32_t stale : {1u, 2u, 99u}) // a stale message finds nothing
        on_window_timer(state, stale);
    Timer_node* c = timer_arm(state, 0, 1000, count_fire, &count);
    EXPECT_EQ(c->id, 3u);
    timer_arm(state, 0, 1000, count_fire, &count);
    timer_cancel(state, c); // not at the head
    timer_cancel(state, nullptr);
    on_window_timer(state, 3);
    EXPECT_EQ(offscreen_calls_of(CALL_KILL_TIMER).back()->a, 3);
    timer_list_clear(state);
    advance_ms(state, 2000);
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(offscreen().timers.empty());
}

TEST_F(Timers, PeriodicTimersRearmAfterEachCallbackAndStopForGood)
{
    {
        Periodic_timer timer(state, 0, 300000, note_call, 77);
        advance_ms(state, 1000);
        EXPECT_EQ(calls_at, (std::vector<int64_t>{300, 600, 900}));
        uint32_t live = state.timers.head->id;
        EXPECT_EQ(live, 4u);
        // A restart re-phases it under a new id; the old id is ignored if it comes.
        timer.restart();
        EXPECT_NE(state.timers.head->id, live);
        on_window_timer(state, live);
        advance_ms(state, 400);
        EXPECT_EQ(calls_at, (std::vector<int64_t>{300, 600, 900, 1300}));
        timer.stop();
        timer.stop();
        EXPECT_FALSE(timer.running());
        timer.start();
    }
    EXPECT_EQ(state.timers.head, nullptr); // destroying a timer cancels it
    Periodic_timer once(state, 0, 50000, stop_self, 77);
    self_stopping = &once;
    advance_ms(state, 1000);
    EXPECT_EQ(calls_at.back(), 1450);
    EXPECT_EQ(calls_at.size(), 5u);
    EXPECT_FALSE(once.running());
    EXPECT_EQ(state.timers.head, nullptr);
}

// The player stands at (3, 2) of board 2; the fidget sequences are {10, 11},
// {12} and {13, 14}; the standing tile is 5.
class Fidget : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        open_map(test_map_contents(), 1);
        read_board_record(state, state.play_board, 2);
        state.mode = MODE_PLAY;
        fidget_reset(state);
    }
    // One tick; the image drawn at the player's cell, or -1 when none.
    int tick()
    {
        offscreen().calls.clear();
        fidget_tick(state, 0);
        auto blits = blitted_cells();
        if (blits.empty()) return -1;
        EXPECT_EQ(blits, (std::vector<std::pair<int, int>>{{3, 2}}));
        for (int k = 0; k < TEST_TILES; ++k)
            if (colour_rgb(image_pixel(k, 0, 0)) == pixel(3 * TILE_W, 2 * TILE_H) &&
                colour_rgb(image_pixel(k, 1, 0)) == pixel(3 * TILE_W + 1, 2 * TILE_H))
                return k;
        return -2;
    }
    std::vector<int> ticks(int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i)
            out.push_back(tick());
        return out;
    }
};

TEST_F(Fidget, StatusOnTheThirdTickThenSequenceZeroThenRandomChoices)
{
    EXPECT_EQ(ticks(2), (std::vector<int>{-1, -1}));
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(tick(), 5); // the standing tile, with the status title
    EXPECT_EQ(titles().size(), 1u);
    EXPECT_EQ(ticks(4), (std::vector<int>{-1, 10, 11, -1})); // sequence 0 chosen, played, ended
    ASSERT_EQ(state.fidget.state, 3);

    // The choice draws two random numbers: a sequence other than 0, a wait.
    Reference_random reference;
    reference.seed = state.draw.random_seed;
    int sequence = reference.next() % 2 + 1;
    int wait = reference.next() % 60 + 20;
    EXPECT_EQ(tick(), 5);
    EXPECT_EQ(state.fidget.sequence, sequence);
    EXPECT_EQ(state.fidget.wait, wait);
    EXPECT_EQ(ticks(wait - 1), std::vector<int>(static_cast<size_t>(wait - 1), -1));
    EXPECT_EQ(tick(), sequence == 1 ? 12 : 13);

    std::set<int> chosen;
    for (int n = 0; n < 2000 && chosen.size() < 3; ++n) {
        int before = state.fidget.state;
        tick();
        if (before == 3) chosen.insert(state.fidget.sequence);
    }
    EXPECT_EQ(chosen, (std::set<int>{1, 2}));

    state.mode = MODE_HELP; // nothing moves off the play screen
    EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, -1}));
}

TEST_F(Fidget, EmptyMissingOrOutOfTableSequencesShowNothing)
{
    state.fidget.sequences[0][0] = FIDGET_END;
    EXPECT_EQ(ticks(5), (std::vector<int>{-1, -1, 5, -1, -1}));
    EXPECT_EQ(state.fidget.state, 3);
    for (int16_t count : {1, 0, -4}) { // fewer than two sequences leave nothing to choose
        state.fidget.sequence_count = count;
        state.fidget.state = 3;
        uint32_t seed = state.draw.random_seed;
        EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, -1}));
        EXPECT_EQ(state.fidget.state, 3);
        EXPECT_EQ(state.draw.random_seed, seed);
    }
    for (auto [sequence, frame] : {std::pair<int16_t, uint16_t>{40, 0}, {15, 0}, {-1, 0}, {0, 20}}) {
        state.fidget.state = 4;
        state.fidget.sequence = sequence;
        state.fidget.frame = frame;
        EXPECT_EQ(tick(), -1);
        EXPECT_EQ(state.fidget.state, 3);
    }
    state.fidget.sequences[14][19] = 7; // the very last entry of the table
    state.fidget.state = 4;
    state.fidget.sequence = 14;
    state.fidget.frame = 19;
    EXPECT_EQ(tick(), 7);
}

TEST_F(Fidget, GameTimersAndTheStatusLineWhilePlayingAndPausing)
{
    ASSERT_EQ(create_game_timers(state), 0);
    auto sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->b, 300);
    EXPECT_EQ(sets[1]->b, 5000);
    offscreen().calls.clear();
    stop_game_timers(state);
    restart_game_timers(state);
    auto kills = offscreen_calls_of(CALL_KILL_TIMER);
    sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(kills.size(), 2u);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(std::vector<int64_t>({kills[0]->a, kills[1]->a, sets[0]->b, sets[1]->b}),
              std::vector<int64_t>({2, 1, 5000, 300})); // the message-line timer first

    make_player(state, "Alice");
    auto enter = [&] {
        state.play_board.start_time = static_cast<uint32_t>(platform_now_seconds());
        set_message_line(state, state.play_board);
        fidget_reset(state);
    };
    auto title = [] { return titles().empty() ? std::string() : titles().back(); };
    const std::string status = "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=";
    // Entered just after a fidget tick the status comes with the third tick,
    // 0.89 s later; entered just before one, 0.61 s later.
    for (auto [enter_at, status_at] : {std::pair<int64_t, int64_t>{310, 1200}, {2990, 3600}}) {
        advance_ms(state, enter_at - offscreen().now_ms);
        enter();
        advance_ms(state, status_at - 1 - offscreen().now_ms);
        EXPECT_EQ(title(), "Zandrek - Level 2");
        advance_ms(state, 1);
        EXPECT_EQ(title(), status + "00:01");
    }
    // While the player pauses the clock advances with the message-line timer.
    const std::pair<int64_t, const char*> clock[] = {
        {4999, "00:01"}, {5000, "00:03"}, {65000, "01:03"}, {3665000, "01:01:03"}};
    for (auto [at, shown] : clock) {
        advance_ms(state, at - offscreen().now_ms);
        EXPECT_EQ(title(), status + shown) << at;
    }
    // A moving player sees the counts only when pausing.
    size_t before = titles().size();
    for (int step = 1; step <= 20; ++step) {
        advance_ms(state, 550);
        state.play_board.moves = static_cast<uint16_t>(step);
        fidget_reset(state);
    }
    EXPECT_EQ(titles().size(), before);
    advance_ms(state, 900);
    EXPECT_EQ(title().substr(0, 36), "Zandrek: Alice - Level=2 Moves=20 Pu");
    // Other screens keep their remark.
    state.mode = MODE_HELP;
    state.screen_board.number = BOARD_HELP;
    set_message_line(state, state.screen_board);
    advance_ms(state, 20000);
    EXPECT_EQ(title(), "May I Help You?");
}

} // namespace
