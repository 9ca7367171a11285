#include "shell/news_offer.h"

#include "shell/help_pages.h"
#include "shell/news_check.h"
#include "shell/platform.h"

void start_news_check(Game_state&)
{
    platform_start_news_check();
}

void offer_news(Game_state&)
{
    if (!news_waiting) return;
    // No leaves the flag set, so the offer comes again at shutdown.
    if (platform_news_dialog() != 1) return;
    open_url(NEWS_PAGE_URL);
    news_waiting = false;
}

void close_news_check(Game_state&)
{
    platform_close_news_check();
}
