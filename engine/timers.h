// Window timers used one-shot, and the periodic timer object built on them.
// Declared with the engine, whose Game_state holds them; the presentation
// layer defines them (presentation/timers.cpp) on the platform's timers.
#pragma once

#include <cstdint>

struct Game_state;

using Timer_callback = void (*)(void* context);

struct Timer_node {
    Timer_node* next;
    uint32_t id;
    Timer_callback callback;
    void* context;
};

// Newest first; ids come from a counter that is never reset, so an id is
// never used twice in a run and a stale timer message finds nothing.
struct Timer_list {
    Timer_node* head = nullptr;
    uint32_t last_id = 0;
};

Timer_node* timer_arm(Game_state& state, int seconds, int microseconds, Timer_callback callback, void* context);
void timer_cancel(Game_state& state, Timer_node* node);
void on_window_timer(Game_state& state, uint32_t timer_id);
void timer_list_clear(Game_state& state);

using Periodic_callback = void (*)(Game_state& owner, uint32_t user_value);

class Periodic_timer
{
  public:
    Periodic_timer(Game_state& owner, int seconds, int microseconds, Periodic_callback callback, uint32_t user_value);
    virtual ~Periodic_timer();
    Periodic_timer(const Periodic_timer&) = delete;
    Periodic_timer& operator=(const Periodic_timer&) = delete;

    void start();
    void stop();
    void restart();
    bool running() const { return node_ != nullptr; }

  private:
    static void fire(void* self);

    Game_state& owner_;
    int32_t seconds_;
    int32_t microseconds_;
    Periodic_callback callback_;
    uint32_t user_value_;
    Timer_node* node_ = nullptr;
};
