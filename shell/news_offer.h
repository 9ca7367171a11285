// The news check's two places in the program's life: its thread started
// early in start-up, and the offer of news found, at start and at exit.
#pragma once

struct Game_state;

void start_news_check(Game_state& state);
void offer_news(Game_state& state);
// Closes the news task's completion event; the thread is not waited for.
void close_news_check(Game_state& state);
