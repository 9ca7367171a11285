// The news check's decisions: one HEAD exchange asks when the news page last
// changed, and a date unlike the one stored at the last run raises
// `news_waiting`. How the exchange travels and how the settings key is
// reached is the session's business (Http_session on Windows).
#pragma once

#include <atomic>
#include <cstdint>

constexpr uint32_t NEWS_TEXT_BYTES = 1000;  // the buffer both header queries share
constexpr uint32_t NEWS_STORED_BYTES = 256; // room for the stored date, terminating zero included
extern const char NEWS_DATE_VALUE[];        // the settings value holding the last date seen

// Set by the news thread, read and cleared by the main thread.
extern std::atomic<bool> news_waiting;

class News_session
{
  public:
    // Opens the internet handle, the connection and the request and sends
    // it; false when any step failed, having closed what it had opened.
    virtual bool send_head() = 0;
    virtual char* text() = 0; // NEWS_TEXT_BYTES long
    virtual bool query_status() = 0;
    // The header named in text() replaces the name.
    virtual bool query_header() = 0;
    virtual void close() = 0;

    // Waits until the main thread has opened the settings key, then keeps
    // it from being closed until release_settings; false when the key is
    // closed for good, and then nothing is held.
    virtual bool hold_settings() = 0;
    virtual void release_settings() = 0;
    virtual bool read_stored_date(char* text, uint32_t capacity) = 0;
    virtual void store_date(const char* text) = 0;

  protected:
    ~News_session() = default;
};

// The whole exchange; every failure ends it silently.
void check_news(News_session& session);
// Byte by byte after folding A-Z to lower case; lengths must match too.
bool same_news_date(const char* stored, const char* received);
