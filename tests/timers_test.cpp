#include "engine/game_state.h"
#include "presentation/timers.h"
#include "shell/platform_offscreen.h"

#include <gtest/gtest.h>

namespace
{

class Timers_test : public ::testing::Test
{
  protected:
    void SetUp() override { offscreen_reset(1); }
    void run_until(int64_t ms)
    {
        while (uint32_t id = offscreen_next_due_timer(ms))
            on_window_timer(state, id);
    }
    Game_state state;
};

void count_fire(void* context)
{
    ++*static_cast<int*>(context);
}

std::vector<int64_t> calls_at;
void note_call(Game_state&, uint32_t user_value)
{
    calls_at.push_back(offscreen().now_ms);
    EXPECT_EQ(user_value, 77u);
}

Periodic_timer* self_stopping = nullptr;
void stop_self(Game_state&, uint32_t)
{
    calls_at.push_back(offscreen().now_ms);
    self_stopping->stop();
}

TEST_F(Timers_test, NodesFireOnceAndIdsAreNeverReused)
{
    int count = 0;
    Timer_node* a = timer_arm(state, 0, 250000, count_fire, &count);
    Timer_node* b = timer_arm(state, 1, 500000, count_fire, &count);
    EXPECT_EQ(a->id, 1u);
    EXPECT_EQ(b->id, 2u);
    EXPECT_EQ(state.timers.head, b); // newest first
    auto sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->b, 250);
    EXPECT_EQ(sets[1]->b, 1500);

    run_until(2000);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(state.timers.head, nullptr);
    // A stale message for a fired or cancelled id finds nothing.
    on_window_timer(state, 1);
    on_window_timer(state, 2);
    on_window_timer(state, 99);
    EXPECT_EQ(count, 2);

    Timer_node* c = timer_arm(state, 0, 1000, count_fire, &count);
    EXPECT_EQ(c->id, 3u);
    timer_cancel(state, c);
    timer_cancel(state, nullptr);
    on_window_timer(state, 3);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(offscreen_calls_of(CALL_KILL_TIMER).back()->a, 3);
}

TEST_F(Timers_test, PeriodicTimersRearmAfterEachCallbackWithAFreshId)
{
    calls_at.clear();
    Periodic_timer timer(state, 0, 300000, note_call, 77);
    run_until(1000);
    EXPECT_EQ(calls_at, (std::vector<int64_t>{300, 600, 900}));
    uint32_t live = state.timers.head->id;
    EXPECT_EQ(live, 4u);

    // A restart re-phases it under a new id; the old id is ignored if it comes.
    timer.restart();
    EXPECT_NE(state.timers.head->id, live);
    on_window_timer(state, live);
    EXPECT_EQ(calls_at.size(), 3u);
    run_until(1400);
    EXPECT_EQ(calls_at.back(), 1300);

    timer.stop();
    timer.stop(); // stopping a stopped timer does nothing
    EXPECT_FALSE(timer.running());
    run_until(5000);
    EXPECT_EQ(calls_at.size(), 4u);
}

TEST_F(Timers_test, ATimerStoppedInsideItsCallbackStaysStopped)
{
    calls_at.clear();
    Periodic_timer timer(state, 0, 50000, stop_self, 0);
    self_stopping = &timer;
    run_until(1000);
    EXPECT_EQ(calls_at, (std::vector<int64_t>{50}));
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(state.timers.head, nullptr);
}

TEST_F(Timers_test, DestroyingATimerCancelsIt)
{
    calls_at.clear();
    {
        Periodic_timer timer(state, 0, 100000, note_call, 77);
    }
    EXPECT_EQ(state.timers.head, nullptr);
    run_until(1000);
    EXPECT_TRUE(calls_at.empty());
}

} // namespace
