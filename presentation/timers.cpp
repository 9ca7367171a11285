#include "engine/timers.h"

#include "engine/game_state.h"
#include "shell/platform.h"

Timer_node* timer_arm(Game_state& state, int seconds, int microseconds, Timer_callback callback, void* context)
{
    Timer_list& list = state.timers;
    auto* node = new Timer_node{list.head, ++list.last_id, callback, context};
    platform_set_timer(node->id, static_cast<uint32_t>(seconds * 1000 + microseconds / 1000));
    list.head = node;
    return node;
}

static bool unlink_node(Timer_list& list, Timer_node* node)
{
    for (Timer_node** link = &list.head; *link; link = &(*link)->next) {
        if (*link == node) {
            *link = node->next;
            return true;
        }
    }
    return false;
}

void timer_cancel(Game_state& state, Timer_node* node)
{
    if (!node || !unlink_node(state.timers, node)) return;
    platform_kill_timer(node->id);
    delete node;
}

void on_window_timer(Game_state& state, uint32_t timer_id)
{
    Timer_node* node = state.timers.head;
    while (node && node->id != timer_id)
        node = node->next;
    if (!node) return;
    platform_kill_timer(node->id);
    unlink_node(state.timers, node);
    node->callback(node->context);
    delete node;
}

void timer_list_clear(Game_state& state)
{
    while (state.timers.head)
        timer_cancel(state, state.timers.head);
}

Periodic_timer::Periodic_timer(Game_state& owner, int seconds, int microseconds, Periodic_callback callback,
                               uint32_t user_value)
    : owner_(owner), seconds_(seconds), microseconds_(microseconds), callback_(callback), user_value_(user_value)
{
    start();
}

Periodic_timer::~Periodic_timer()
{
    stop();
}

void Periodic_timer::start()
{
    node_ = timer_arm(owner_, seconds_, microseconds_, &Periodic_timer::fire, this);
}

void Periodic_timer::stop()
{
    timer_cancel(owner_, node_);
    node_ = nullptr;
}

void Periodic_timer::restart()
{
    stop();
    start();
}

// The node that fired is already unlinked and about to be freed; a callback
// that stops this timer leaves node_ null and so it stays stopped.
void Periodic_timer::fire(void* self)
{
    auto* timer = static_cast<Periodic_timer*>(self);
    Timer_node* fired = timer->node_;
    timer->callback_(timer->owner_, timer->user_value_);
    if (timer->node_ == fired) timer->start();
}
