// Error texts, the news check's decisions and the off-screen platform's drawing and sound.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

#include "files/file_diagnostics.h"
#include "shell/error_text.h"
#include "shell/framebuffer/framebuffer_draw.h"
#include "shell/message_box.h"
#include "shell/news_check.h"
#include "shell/news_offer.h"
#include "shell/title_banner.h"
#include "tests/board_fixture.h"

namespace
{

// The codes as documented ranges, first:last or one code alone.
std::vector<int> documented_codes()
{
    const char* runs =
        "-8:34 36 38:39 50:72 80 82:89 100:114 117:162 164 167 170 173:174 180 182:183 186:203 205:210 212 "
        "214:215 230:234 240 254:255 259 266:267 275:278 282 288 298 317 487 534:536 994:999 1001:1022 1051:1078 "
        "1100:1131 1200:1221 1300:1338 1340:1394 1400:1449 1500:1503 1700:1728 1730:1737 1739:1753 1755:1757 "
        "1759:1762 1764:1816 1898:1900 2138 2202 2250 2401 2404 6118 10004 10009 10013:10014 10022 10024 "
        "10035:10071 10091:10093 10101 11001:11004";
    std::vector<int> codes;
    for (char* end; *runs; runs = end) {
        const long first = std::strtol(runs, &end, 10), last = *end == ':' ? std::strtol(end + 1, &end, 10) : first;
        for (long code = first; code <= last; ++code)
            codes.push_back(static_cast<int>(code));
    }
    return codes;
}

TEST(Offscreen, ABlitTakesTheColourTableItIsGiven)
{
    offscreen_reset(2);
    Tile_dib dib{};
    const uint8_t bits[] = {1, 0, 0, 0}; // one pixel of colour 1, its row padded to four bytes
    for (uint8_t blue : {7, 9}) {
        dib.colours[1] = Rgb_quad{blue, 0, 0, 0};
        platform_stretch_dib(dib, bits, 1, 1, 0, 0, 1, 1);
        EXPECT_EQ(offscreen().pixels.at(0), blue);
    }
}

TEST(Framebuffer, TextStopsAtTheCanvasEdges)
{
    std::vector<uint32_t> memory(3 * 16 * 16, 0); // the canvas is the middle third
    Framebuffer canvas{memory.data() + 16 * 16, 16, 16};
    for (int baseline : {1, 17})
        framebuffer_text(canvas, 0, baseline, "#", TEXT_LEFT, 0xFFFFFF);
    // Nothing above or below; the canvas's own first and last rows are drawn.
    const auto lit = [&](int row) {
        return std::count(memory.begin() + 256 + row * 16, memory.begin() + 256 + (row + 1) * 16, 0xFFFFFFu) > 0;
    };
    EXPECT_EQ(std::make_tuple(std::count(memory.begin(), memory.begin() + 256, 0u),
                              std::count(memory.end() - 256, memory.end(), 0u), lit(0), lit(15)),
              std::make_tuple(256, 256, true, true));
}

// Text running off a side keeps the columns of each glyph that are on the
// canvas, where they would be, and wraps nothing onto another row.
TEST(Framebuffer, TextIsCutAtTheCanvasSides)
{
    constexpr int SIZE = 16, WHOLE_AT = 4;
    std::vector<uint32_t> whole(SIZE * SIZE, 0);
    Framebuffer wide{whole.data(), SIZE, SIZE};
    framebuffer_text(wide, WHOLE_AT, 8, "#", TEXT_LEFT, 0xFFFFFF);
    for (int x : {-2, -1, SIZE - 3, SIZE - 2}) {
        std::vector<uint32_t> pixels(SIZE * SIZE, 0), expected(SIZE * SIZE, 0);
        for (int i = 0; i < SIZE * SIZE; ++i) {
            const int column = i % SIZE - WHOLE_AT + x;
            if (whole[i] && column >= 0 && column < SIZE) expected[i - i % SIZE + column] = whole[i];
        }
        Framebuffer canvas{pixels.data(), SIZE, SIZE};
        framebuffer_text(canvas, x, 8, "#", TEXT_LEFT, 0xFFFFFF);
        EXPECT_EQ(pixels, expected) << "at " << x;
    }
}

TEST(Framebuffer, AStretchWithoutAnImageDrawsNothing)
{
    std::vector<uint32_t> pixels(4, 1);
    Framebuffer canvas{pixels.data(), 2, 2};
    framebuffer_stretch(canvas, Tile_dib{}, nullptr, 1, 1, 0, 0, 2, 2);
    EXPECT_EQ(pixels, std::vector<uint32_t>(4, 1));
}

TEST(Framebuffer, AFillBlackensItsRectangleWithinTheCanvas)
{
    std::vector<uint32_t> pixels(4 * 3, 1);
    Framebuffer canvas{pixels.data(), 4, 3};
    framebuffer_fill_black(canvas, -1, -1, 3, 3);
    framebuffer_fill_black(canvas, 3, 2, 5, 5);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0, 0, 1, 1, /**/ 0, 0, 1, 1, /**/ 1, 1, 1, 0}));
}

// Two characters centred on x start one advance to its left.
TEST(Framebuffer, CentredTextStraddlesItsX)
{
    std::vector<uint32_t> centred(32 * 16, 0), left(32 * 16, 0);
    Framebuffer a{centred.data(), 32, 16}, b{left.data(), 32, 16};
    framebuffer_text(a, 16, 12, "ab", TEXT_CENTRE, 0xFFFFFF);
    framebuffer_text(b, 16 - FRAMEBUFFER_FONT_ADVANCE, 12, "ab", TEXT_LEFT, 0xFFFFFF);
    EXPECT_THAT(std::make_tuple(centred == left, std::count(left.begin(), left.end(), 0xFFFFFFu) > 0),
                testing::FieldsAre(true, true));
}

TEST(Message_box, EachFileDiagnosticIsABoxOfItsKind)
{
    offscreen_reset();
    File_diagnostics said;
    note_warning(said, "careful");
    note_error(said, "broken");
    show_file_diagnostics(said);
    std::vector<std::pair<int, std::string>> boxes;
    for (const Platform_call* c : offscreen_calls_of(CALL_BOX))
        boxes.emplace_back(c->a, c->text);
    EXPECT_THAT(boxes, testing::ElementsAre(std::pair{int{BOX_WARN}, "careful"}, std::pair{int{BOX_ERROR}, "broken"}));
}

TEST(Message_box, AnErrorReportJoinsOnlyTheTextsItIsGiven)
{
    const struct {
        const char *message, *detail;
        std::vector<std::string> boxes;
    } rows[] = {
        {"Error opening Zandrek window",
         "Class does not exist.",
         {"Error opening Zandrek window: Class does not exist."}},
        {"Error opening Zandrek window", nullptr, {"Error opening Zandrek window"}},
        {nullptr, "Class does not exist.", {"Class does not exist."}},
        {nullptr, nullptr, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.message ? "message" : "no message") + (r.detail ? ", detail" : ", no detail"));
        offscreen_reset();
        report_error(r.message, r.detail);
        EXPECT_EQ(box_texts(), r.boxes);
    }
}

// The text ends 8 pixels short of the right edge, the icon 40 pixels left of the text; neither is magnified.
TEST(Title_banner, TheBannerHangsFromTheRightEdge)
{
    Game_state state;
    state.display_width = 320;
    state.magnify = 2;
    const Banner_layout at = banner_layout(state, 100);
    EXPECT_EQ(std::make_tuple(at.text_x, at.icon_x), std::make_tuple(640 - 8 - 100, 640 - 8 - 100 - 40));
}

TEST(Title_banner, TheBannerIsShownOnTheTitleScreenAlone)
{
    Game_state state;
    for (const auto& [mode, shown] : {std::pair{MODE_TITLE, true}, {MODE_PLAY, false}, {MODE_HELP, false}}) {
        state.mode = mode;
        EXPECT_EQ(banner_shown(state), shown) << "mode " << mode;
    }
}

TEST(Framebuffer, ASpaceDrawsNothing)
{
    std::vector<uint32_t> pixels(32 * 16, 0);
    Framebuffer canvas{pixels.data(), 32, 16};
    framebuffer_text(canvas, 0, 12, "  ", TEXT_LEFT, 0xFFFFFF);
    EXPECT_EQ(pixels, std::vector<uint32_t>(32 * 16, 0));
}

// The cell's top row stands the ascent above the baseline; a quote mark is two strokes there.
TEST(Framebuffer, AQuoteMarkFillsTheCellsTopTwoRows)
{
    std::vector<uint32_t> pixels(8 * 16, 0);
    Framebuffer canvas{pixels.data(), 8, 16};
    framebuffer_text(canvas, 0, 12, "\"", TEXT_LEFT, 0xFFFFFF);
    std::set<int> rows;
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i]) rows.insert(static_cast<int>(i / 8));
    EXPECT_THAT(rows, testing::ElementsAre(12 - FRAMEBUFFER_FONT_ASCENT, 13 - FRAMEBUFFER_FONT_ASCENT));
}

TEST(Framebuffer, ACharacterOutsideTheFontDrawsAsAQuestionMark)
{
    std::vector<uint32_t> unknown(32 * 16, 0), question(32 * 16, 0);
    Framebuffer a{unknown.data(), 32, 16}, b{question.data(), 32, 16};
    framebuffer_text(a, 0, 12, "\x7f\xc8", TEXT_LEFT, 0xFFFFFF);
    framebuffer_text(b, 0, 12, "??", TEXT_LEFT, 0xFFFFFF);
    EXPECT_EQ(unknown, question);
    EXPECT_GT(std::count(question.begin(), question.end(), 0xFFFFFFu), 0);
}

// Off screen nobody answers: a question is taken as No, any other box as OK.
TEST(Offscreen, AnUnansweredBoxTakesTheQuietAnswer)
{
    offscreen_reset();
    EXPECT_THAT(std::make_tuple(platform_message_box("?", "Zandrek", BOX_QUESTION),
                                platform_message_box("!", "Zandrek", BOX_INFO)),
                testing::FieldsAre(ANSWER_NO, ANSWER_OK));
}

TEST(Offscreen, ASleepMovesTheClockOn)
{
    offscreen_reset();
    const int64_t before = platform_now_seconds();
    platform_sleep(2000);
    EXPECT_EQ(platform_now_seconds(), before + 2);
}

// Only a client of 320 x 192 times a whole number is a magnification.
TEST(Offscreen, AClientOfTheGamesShapeResizesTheCanvas)
{
    std::vector<int> widths;
    for (auto [w, h] : {std::pair{960, 576}, {961, 576}, {320, 576}, {320, 192}}) {
        offscreen_reset(2);
        platform_size_client(w, h);
        widths.push_back(offscreen().width);
    }
    EXPECT_EQ(widths, (std::vector<int>{960, 640, 640, 320}));
}

// A second of 8-bit sound at 8000 a second is done at 1000 ms, not before.
TEST(Offscreen, ABufferIsDoneTheMomentItsLengthHasPassed)
{
    offscreen_reset();
    std::vector<uint8_t> samples(8000, 0x80);
    Wave_header header{};
    header.data = samples.data();
    header.length = 8000;
    platform_wave_open(8000, 8);
    platform_wave_write(header);
    std::vector<bool> done;
    for (int64_t ms : {999, 1000}) {
        offscreen_next_due_timer(ms);
        done.push_back(header.flags & WAVE_DONE);
    }
    EXPECT_EQ(done, (std::vector<bool>{false, true}));
}

TEST(Offscreen, AResetWithNothingPlayingMarksNoBuffer)
{
    offscreen_reset(2);
    Wave_header header{};
    header.length = 16000;
    platform_wave_open(8000, 16);
    platform_wave_write(header);
    platform_wave_reset();
    header.flags = 0;
    platform_wave_reset();
    EXPECT_EQ(header.flags & WAVE_DONE, 0u);
}

TEST(Error_texts, EveryCodeInTheTableFindsItsOwnText)
{
    for (int i = 0; i < ERROR_TEXT_COUNT; ++i)
        EXPECT_EQ(error_text(ERROR_TEXTS[i].code), ERROR_TEXTS[i].text) << ERROR_TEXTS[i].code;
}

TEST(Error_texts, OnlyTheDocumentedCodesHaveAText)
{
    std::vector<int> known;
    for (int code = -20; code <= 11010; ++code)
        if (std::strcmp(error_text(code), UNKNOWN_ERROR_TEXT) != 0) known.push_back(code);
    EXPECT_EQ(known, documented_codes());
    EXPECT_STREQ(error_text(static_cast<int>(0x80004005u)), UNKNOWN_ERROR_TEXT);
}

using Text = std::optional<std::string>; // absent: the query fails, or nothing is stored

struct News_case {
    const char* name;
    bool sends;
    Text status, last_modified, stored;
    bool key_open, news;       // news: the received date stored and the flag raised
    uint32_t stored_bytes = 0; // the stored value's size when not its text and zero
};

// Answers as a server and a settings key would, and checks the order of the calls.
struct Fake_news_session final : News_session, News_case {
    explicit Fake_news_session(const News_case& c) : News_case(c) {}
    char buffer[NEWS_TEXT_BYTES] = {};
    int closes = 0;
    bool holding = false, stored_while_raised = false;

    bool send_head() override { return sends; }
    char* text() override { return buffer; }
    bool query_status() override { return answer(status); }
    bool query_header() override { return std::string(buffer) == "Last-Modified" && answer(last_modified); }
    void close() override { ++closes; }
    bool hold_settings() override { return holding = key_open; }
    void release_settings() override { holding = holding ? false : (ADD_FAILURE() << "released unheld", true); }
    bool read_stored_date(char* text, uint32_t capacity) override
    {
        EXPECT_TRUE(holding); // and the settings refuse a value longer than the buffer
        uint32_t bytes = stored_bytes ? stored_bytes : static_cast<uint32_t>(stored ? stored->size() + 1 : 0);
        if (!stored || bytes > capacity) return false;
        std::memcpy(text, stored->c_str(), std::min<size_t>(bytes, stored->size() + 1));
        return true;
    }
    void store_date(const char* text) override
    {
        stored_while_raised = news_waiting || !holding;
        stored = text;
    }
    bool answer(const Text& value) { return value && std::snprintf(buffer, sizeof buffer, "%s", value->c_str()) >= 0; }
};

TEST(News_check, NewsIsOfferedOnlyForADateNotSeenBefore)
{
    const std::string date = "Tue, 01 Dec 2026 09:30:00 GMT";
    const std::string date_255 = date + std::string(255 - date.size(), 'y'), date_256 = date_255 + "z";
    // The first row also meets the flag as the program starts it: a check that never answers offers nothing.
    const News_case cases[] = {
        {"request not sent", false, "200", date, {}, true, false},
        {"first run, nothing stored", true, "200", date, {}, true, true},
        {"same date in other letter case", true, "200", date, "TUE, 01 DEC 2026 09:30:00 gmt", true, false},
        {"an A in other letter case", true, "200", "Sat, 29 Aug 2026 09:30:00 GMT", "SAT, 29 AUG 2026 09:30:00 GMT",
         true, false},
        {"a different date", true, "200", date, "Mon, 30 Nov 2026 09:30:00 GMT", true, true},
        {"stored date a prefix of the received one", true, "200", date, date.substr(0, 16), true, true},
        {"255 characters stored fit and compare", true, "200", date_255, date_255, true, false},
        {"256 characters stored do not fit: read as missing", true, "200", date_256, date_256, true, true},
        {"256 bytes stored without their zero", true, "200", date_256, date_256, true, false, 256},
        {"status 404", true, "404", date, {}, true, false},
        {"no Last-Modified header", true, "200", {}, {}, true, false},
        {"settings key already closed", true, "200", date, {}, false, false}};
    for (const News_case& c : cases) {
        Fake_news_session session(c);
        check_news(session);
        EXPECT_EQ(std::make_tuple(news_waiting.load(), session.stored, session.stored_while_raised, session.holding,
                                  session.closes),
                  std::make_tuple(c.news, c.news ? c.last_modified : c.stored, false, false, c.sends ? 1 : 0))
            << c.name;
        news_waiting = false;
    }
}

// Yes opens the page once and for all; No leaves the offer for shutdown.
TEST(News_check, AnOfferTakenIsNotMadeAgain)
{
    for (auto [answer, urls, waiting] : {std::tuple{ANSWER_YES, size_t{1}, false}, {ANSWER_NO, size_t{0}, true}}) {
        offscreen_reset();
        Game_state state;
        news_waiting = true;
        offscreen().box_answers = {answer};
        offer_news(state);
        EXPECT_EQ(std::make_tuple(offscreen_calls_of(CALL_OPEN_URL).size(), news_waiting.load()),
                  std::make_tuple(urls, waiting))
            << answer;
    }
    news_waiting = false;
}

} // namespace
