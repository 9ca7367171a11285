// The news check in the browser ends at once without news: the browser
// edition makes no request, so the news dialog is never shown.
#include "shell/platform.h"

void platform_start_news_check() {}

void platform_close_news_check() {}

int platform_news_dialog()
{
    return -1;
}
