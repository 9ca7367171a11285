#include "shell/news_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace
{

// Answers as a server and a settings key would, and notes what the check did.
struct Fake_session final : News_session {
    bool sends = true;
    std::optional<std::string> status = "200";
    std::optional<std::string> last_modified;
    bool key_open = true;
    std::optional<std::string> stored; // what the settings hold; absent: nothing
    uint32_t stored_bytes = 0;         // the value's size when not its text and zero

    char buffer[NEWS_TEXT_BYTES] = {};
    int closes = 0;
    bool holding = false;
    bool stored_while_raised = false;

    bool send_head() override { return sends; }
    char* text() override { return buffer; }
    bool query_status() override { return answer(status); }
    bool query_header() override
    {
        EXPECT_STREQ(buffer, "Last-Modified");
        return answer(last_modified);
    }
    void close() override { ++closes; }
    bool hold_settings() override { return holding = key_open; }
    void release_settings() override
    {
        EXPECT_TRUE(holding);
        holding = false;
    }
    bool read_stored_date(char* text, uint32_t capacity) override
    {
        EXPECT_TRUE(holding);
        EXPECT_EQ(capacity, NEWS_STORED_BYTES);
        // The registry refuses a value that does not fit the buffer.
        uint32_t bytes = stored_bytes ? stored_bytes : static_cast<uint32_t>(stored ? stored->size() + 1 : 0);
        if (!stored || bytes > capacity) return false;
        std::memcpy(text, stored->c_str(), std::min<size_t>(bytes, stored->size() + 1));
        return true;
    }
    void store_date(const char* text) override
    {
        EXPECT_TRUE(holding);
        stored_while_raised = news_waiting;
        stored = text;
        stored_bytes = 0;
    }
    bool answer(const std::optional<std::string>& value)
    {
        if (!value) return false;
        std::snprintf(buffer, sizeof buffer, "%s", value->c_str());
        return true;
    }
};

const std::string DATE = "Tue, 01 Dec 2026 09:30:00 GMT";

TEST(News_check, DecidesFromStatusHeaderAndStoredDate)
{
    const std::string long_date = DATE + std::string(300, 'x');
    const std::string date_255 = DATE + std::string(255 - DATE.size(), 'y');
    const std::string date_256 = date_255 + "z";
    struct Case {
        const char* name;
        bool sends;
        std::optional<std::string> status, last_modified, stored;
        bool key_open;
        bool news; // the received date stored and the flag raised
        uint32_t stored_bytes = 0;
    } cases[] = {
        {"first run, nothing stored", true, "200", DATE, std::nullopt, true, true},
        {"same date", true, "200", DATE, DATE, true, false},
        {"same date in other letter case", true, "200", DATE, "TUE, 01 DEC 2026 09:30:00 gmt", true, false},
        {"a different date", true, "200", DATE, "Mon, 30 Nov 2026 09:30:00 GMT", true, true},
        {"stored date a prefix of the received one", true, "200", DATE, DATE.substr(0, 16), true, true},
        {"received date a prefix of the stored one", true, "200", DATE.substr(0, 16), DATE, true, true},
        {"255 characters stored fit and compare", true, "200", date_255, date_255, true, false},
        {"256 characters stored do not fit: read as missing", true, "200", date_256, date_256, true, true},
        {"a received date longer than the stored buffer is news every run", true, "200", long_date, long_date, true,
         true},
        {"256 bytes stored without their zero", true, "200", date_256, date_256, true, false, 256},
        {"request not sent", false, "200", DATE, std::nullopt, true, false},
        {"status query fails", true, std::nullopt, DATE, std::nullopt, true, false},
        {"status 404", true, "404", DATE, std::nullopt, true, false},
        {"status 2000", true, "2000", DATE, std::nullopt, true, false},
        {"status 200 with a trailing space", true, "200 ", DATE, std::nullopt, true, false},
        {"no Last-Modified header", true, "200", std::nullopt, std::nullopt, true, false},
        {"settings key already closed", true, "200", DATE, std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        news_waiting = false;
        Fake_session session;
        session.sends = c.sends;
        session.status = c.status;
        session.last_modified = c.last_modified;
        session.stored = c.stored;
        session.stored_bytes = c.stored_bytes;
        session.key_open = c.key_open;

        check_news(session);

        EXPECT_EQ(news_waiting, c.news);
        EXPECT_EQ(session.stored, c.news ? c.last_modified : c.stored);
        EXPECT_FALSE(session.stored_while_raised);
        EXPECT_FALSE(session.holding);
        EXPECT_EQ(session.closes, c.sends ? 1 : 0);
    }
    news_waiting = false;
}

} // namespace
