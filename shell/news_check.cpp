#include "shell/news_check.h"

#include <cstring>

const char NEWS_DATE_VALUE[] = "NewsLastModified";

std::atomic<bool> news_waiting{false};

namespace
{

unsigned char fold(char c)
{
    unsigned char b = static_cast<unsigned char>(c);
    return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

} // namespace

bool same_news_date(const char* stored, const char* received)
{
    // The terminating zeros take part, so a date that is a prefix of the
    // other differs from it.
    for (;; ++stored, ++received) {
        if (fold(*stored) != fold(*received)) return false;
        if (*stored == '\0') return true;
    }
}

void check_news(News_session& session)
{
    if (!session.send_head()) return;
    char* text = session.text();
    if (!session.query_status() || std::strcmp(text, "200") != 0) {
        session.close();
        return;
    }
    std::strcpy(text, "Last-Modified");
    if (!session.query_header()) {
        session.close();
        return;
    }
    if (session.hold_settings()) {
        // One byte more than the read may fill: a value stored without its
        // terminating zero still ends.
        char stored[NEWS_STORED_BYTES + 1] = {};
        if (!session.read_stored_date(stored, NEWS_STORED_BYTES) || !same_news_date(stored, text)) {
            // Stored first: whoever sees the flag finds the date already kept.
            session.store_date(text);
            news_waiting = true;
        }
        // Released only now, so that shutdown, which closes the key through
        // the same hold, reads a flag that no longer changes.
        session.release_settings();
    }
    session.close();
}
