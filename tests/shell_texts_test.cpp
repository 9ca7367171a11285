// Error texts and the error box, input codes, the news check's decisions and the off-screen platform's drawing.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <tuple>

#include "shell/error_text.h"
#include "shell/input_gate.h"
#include "shell/message_box.h"
#include "shell/news_check.h"
#include "shell/title_banner.h"
#include "shell/window_input.h"
#include "tests/map_fixture.h"

TEST(Error_texts, TheTableHoldsExactlyTheCodesOfTheGameAndTheSearchFindsEach)
{
    const char* runs =
        "-8:34 36 38:39 50:72 80 82:89 100:114 117:162 164 167 170 173:174 180 182:183 186:203 205:210 212 "
        "214:215 230:234 240 254:255 259 266:267 275:278 282 288 298 317 487 534:536 994:999 1001:1022 1051:1078 "
        "1100:1131 1200:1221 1300:1338 1340:1394 1400:1449 1500:1503 1700:1728 1730:1737 1739:1753 1755:1757 "
        "1759:1762 1764:1816 1898:1900 2138 2202 2250 2401 2404 6118 10004 10009 10013:10014 10022 10024 "
        "10035:10071 10091:10093 10101 11001:11004"; // first:last, or one code alone
    int i = 0;
    for (char* end; *runs; runs = end) {
        const long first = std::strtol(runs, &end, 10), last = *end == ':' ? std::strtol(end + 1, &end, 10) : first;
        for (int code = first; code <= last; ++code, ++i) {
            ASSERT_LT(i, ERROR_TEXT_COUNT);
            ASSERT_EQ(ERROR_TEXTS[i].code, code) << "entry " << i;
            EXPECT_EQ(error_text(code), ERROR_TEXTS[i].text) << code;
        }
        EXPECT_STREQ(error_text(first - 1), UNKNOWN_ERROR_TEXT);
        EXPECT_STREQ(error_text(last + 1), UNKNOWN_ERROR_TEXT);
    }
    EXPECT_EQ(i, ERROR_TEXT_COUNT);
    // The error box joins message and detail (both given: the start-up failures), or shows either alone.
    offscreen_reset();
    report_error("Only the message", nullptr);
    report_error(nullptr, "Only the detail");
    report_error(nullptr, nullptr);
    EXPECT_EQ(box_texts(), (std::vector<std::string>{"Only the message", "Only the detail"}));
}

TEST(Input, KeysCharactersAndButtonsBecomeTheEnginesCodes)
{
    // Virtual key, engine code: F1 to F10 are 1 to 10, keys it does not tell apart 48.
    const uint32_t keys[] = {VKEY_ESCAPE, VKEY_F1,    0x74,           VKEY_F10,    0x7A, VKEY_UP, VKEY_DOWN,
                             VKEY_LEFT,   VKEY_RIGHT, VKEY_BACKSPACE, VKEY_DELETE, 'H',  0x0D};
    std::vector<int32_t> codes;
    for (uint32_t key : keys)
        codes.push_back(key_code(key));
    EXPECT_EQ(codes, (std::vector<int32_t>{CODE_ESCAPE, 1, 5, 10, 48, CODE_UP, CODE_DOWN, CODE_LEFT, CODE_RIGHT,
                                           CODE_BACKSPACE, CODE_DELETE, 48, 48}));
    std::string chars; // each character with a code, and its code; the others give -1
    for (uint32_t c = 0; c < 256; ++c)
        if (char_code(c) != -1) chars += static_cast<char>(c) + std::to_string(char_code(c)) + " ";
    EXPECT_EQ(chars, "/20 ?21 a22 b23 c24 d25 e26 f27 g28 h29 j30 k31 l32 m33 n34 p35 r36 s37 t38 u17 v39 w40 x41 ");
    // What reaches the engine: the pointer, a key, a character, a release. Shift alone makes a walk
    // sticky, Ctrl does not; pressed and dragged out of the window to the upper left.
    Game_state state;
    offscreen_reset();
    load_board(state, {"#####", "#@$.#", "#####"});
    const uint32_t outside = (static_cast<uint32_t>(static_cast<uint16_t>(-7)) << 16) | static_cast<uint16_t>(-3);
    std::string sticky;
    for (uint32_t mouse_keys : {0u, +MOUSE_KEY_SHIFT, +MOUSE_KEY_CONTROL, MOUSE_KEY_SHIFT | MOUSE_KEY_CONTROL}) {
        state.walk_sticky = 0;
        on_window_input(state, INPUT_LEFT_DOWN, mouse_keys, outside);
        sticky += std::to_string(state.walk_sticky);
    }
    EXPECT_EQ(sticky, "0101");
    EXPECT_EQ(std::make_tuple(state.last_pointer_x, state.last_pointer_y), std::make_tuple(-3, -7));
    EXPECT_TRUE(offscreen().mouse_captured);
    on_window_input(state, INPUT_LEFT_UP, 0, (40u << 16) | 1000u);
    EXPECT_EQ(std::make_tuple(state.last_pointer_x, state.last_pointer_y), std::make_tuple(1000, 40));
    EXPECT_FALSE(offscreen().mouse_captured);
    on_window_input(state, INPUT_KEY_DOWN, VKEY_RIGHT, 0); // solves the level
    on_window_input(state, INPUT_KEY_UP, VKEY_RIGHT, 0);   // a release does not leave the solved screen
    on_window_input(state, INPUT_CHAR, '!', 0);            // nor does a character the game ignores
    on_window_input(state, INPUT_RIGHT_DOWN, 0, 0);        // nor a right button, which is no key
    EXPECT_EQ(state.mode, MODE_SOLVED);
    on_window_input(state, INPUT_CHAR, 'h', 0);
    EXPECT_NE(state.mode, MODE_SOLVED);
    for (uint32_t q : {'q', 'Q'}) {
        on_window_input(state, INPUT_CHAR, q, 0);
        EXPECT_TRUE(std::exchange(offscreen().quit_posted, false));
    }
    // Leaving the finale brings the congratulation once, after the message.
    offscreen_reset();
    state.finale_seen = 1;
    after_window_message(state);
    after_window_message(state);
    const auto boxes = offscreen_calls_of(CALL_BOX);
    EXPECT_EQ(boxes.at(0)->text.substr(0, 25) + std::to_string(boxes.size() * 10 + boxes[0]->a),
              "**** YOU DID IT!!! ****\n\n" + std::to_string(10 + BOX_INFO));
}

TEST(Input, WhileABoxIsOpenOnlyPaintTimerAndPaletteMessagesReachTheGame)
{
    // kind; reaches the game with no box, with one, with two nested
    const std::tuple<Window_message_kind, bool, bool, bool> rows[] = {
        {MESSAGE_PAINT, true, true, true},          {MESSAGE_TIMER, true, true, true},
        {MESSAGE_PALETTE, true, true, true},        {MESSAGE_INPUT, true, false, false},
        {MESSAGE_MENU_COMMAND, true, false, false},
    };
    for (const auto& [kind, none, one, two] : rows)
        EXPECT_EQ(std::make_tuple(message_reaches_game(kind, 0), message_reaches_game(kind, 1),
                                  message_reaches_game(kind, 2)),
                  std::make_tuple(none, one, two))
            << kind;
}

TEST(Title_banner, StandsInTheTopRightCornerOfTheTitleScreenOnly)
{
    Game_state state;
    // magnification, text width; text x, icon x (baseline 32, icon top 8 throughout)
    const int rows[][4] = {{1, 100, 212, 172}, {2, 100, 532, 492}, {4, 97, 1175, 1135}, {2, 0, 632, 592}};
    for (const auto& [magnify, width, text_x, icon_x] : rows) {
        state.magnify = magnify;
        const Banner_layout at = banner_layout(state, width);
        EXPECT_EQ(std::vector<int>({at.text_x, at.text_baseline, at.icon_x, at.icon_y}),
                  std::vector<int>({text_x, 32, icon_x, 8}))
            << magnify << " " << width;
    }
    std::string shown;
    for (int32_t mode : {MODE_PLAY, MODE_TITLE, MODE_SOLVED, MODE_HELP, MODE_ALL_DONE, MODE_DONE_TEXT, MODE_FINALE}) {
        state.mode = mode;
        shown += banner_shown(state) ? "1" : "0";
    }
    EXPECT_EQ(shown, "0100000");
}

namespace
{

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

} // namespace

TEST(News_check, DecidesFromStatusHeaderAndStoredDate)
{
    const std::string date = "Tue, 01 Dec 2026 09:30:00 GMT";
    const std::string date_255 = date + std::string(255 - date.size(), 'y'), date_256 = date_255 + "z";
    // The first row also meets the flag as the program starts it: a check that never answers offers nothing.
    const News_case cases[] = {
        {"request not sent", false, "200", date, {}, true, false},
        {"first run, nothing stored", true, "200", date, {}, true, true},
        {"same date in other letter case", true, "200", date, "TUE, 01 DEC 2026 09:30:00 gmt", true, false},
        {"a different date", true, "200", date, "Mon, 30 Nov 2026 09:30:00 GMT", true, true},
        {"A and Z fold too", true, "200", "AZ", "az", true, false},
        {"stored date a prefix of the received one", true, "200", date, date.substr(0, 16), true, true},
        {"received date a prefix of the stored one", true, "200", date.substr(0, 16), date, true, true},
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

TEST(Offscreen, BlitsStretchAndClipIntoTheFramebuffer)
{
    const Offscreen& o = offscreen();
    Tile_dib dib{};
    for (int i = 0; i < 256; ++i)
        dib.colours[i] = Rgb_quad{static_cast<uint8_t>(i ? i : 5), 0, 0, 0}; // colour 0 is not black
    const uint8_t bits[] = {1, 0, 0, 0, 3, 4, 0, 0};                         // 2 x 2, rows padded to four bytes
    // Source width and height, destination, and the top left 3 x 3 pixels after.
    const std::tuple<int, int, int, int, int, int, const char*> cases[] = {
        {2, 2, 0, 0, 2, 2, "150340000"}, {2, 2, -1, -1, 4, 4, "155344344"}, {2, 2, 1, 0, 1, 2, "010030000"},
        {2, 0, 0, 0, 2, 2, "000000000"}, {0, 2, 0, 0, 2, 2, "000000000"},   {2, 2, 0, 0, 0, 2, "000000000"},
        {2, 2, 0, 0, 2, 0, "000000000"}, {2, 2, 640, 0, 2, 2, "000000000"}, {2, 2, -2, 0, 2, 2, "000000000"}};
    for (const auto& [src_w, src_h, x, y, w, h, corner] : cases) {
        offscreen_reset(2);
        platform_stretch_dib(dib, bits, src_w, src_h, x, y, w, h);
        std::string seen;
        for (int i = 0; i < 9; ++i)
            seen += static_cast<char>('0' + o.pixels[static_cast<size_t>(i / 3 * 640 + i % 3)]);
        EXPECT_EQ(seen, corner) << src_w << src_h << " " << x << "," << y << " " << w << "x" << h;
    }
    // A fill clears only its part of the framebuffer.
    platform_stretch_dib(dib, bits, 2, 2, 0, 0, 2, 2);
    platform_fill_black(-1, -1, 2, 2);
    EXPECT_EQ(std::make_tuple(o.pixels[0], o.pixels[1], o.pixels[640]), std::make_tuple(0u, 5u, 3u));
    EXPECT_EQ(std::make_tuple(offscreen_calls_of(CALL_FILL).at(0)->a, offscreen_calls_of(CALL_FILL)[0]->d),
              std::make_tuple(int64_t{-1}, int64_t{2}));
    // Text across the bottom edge: a space draws nothing, a character the font lacks a question mark.
    offscreen_reset(0);
    platform_text_out(8, 194, "? \x7F", TEXT_LEFT, 0xFFFFFF);
    for (int i = 0; i < 36; ++i) {
        const size_t at = static_cast<size_t>((186 + i / 6) * 320 + 8 + i % 6);
        EXPECT_EQ(std::make_pair(o.pixels[at + 12], o.pixels[at + 6]), std::make_pair(o.pixels[at], 0u)) << i;
    }
    EXPECT_EQ(std::make_tuple(o.pixels[188 * 320 + 8], o.pixels[188 * 320 + 9]),
              std::make_tuple(0xFFFFFFu, 0u)); // row 1 of ?
    // Across the top and the right edge: nothing wraps onto the next row.
    platform_text_out(314, 7, "??", TEXT_LEFT, 0xFFFFFF);
    EXPECT_EQ(std::make_tuple(o.pixels[315], o.pixels[320], o.pixels[321], o.pixels[322]),
              std::make_tuple(0xFFFFFFu, 0u, 0u, 0u));
    // A 16-bit buffer plays for its length; a string fills the buffer exactly, one too long is refused.
    Wave_header header{};
    platform_wave_open(8000, 16);
    platform_wave_write((header.length = 16000, header));
    EXPECT_EQ(offscreen().wave_busy_until_ms, 1000);
    for (Call_kind kind : {CALL_WAVE_OPEN, CALL_WAVE_WRITE})
        EXPECT_EQ(std::make_tuple(offscreen_calls_of(kind).at(0)->a, offscreen_calls_of(kind)[0]->b),
                  std::make_tuple(int64_t{8000}, int64_t{16}));
    char t[8] = "xxxxxxx";
    platform_reg_set_string("s", "abcd", 4);
    platform_reg_set_dword("d", 7);
    EXPECT_EQ(std::to_string(platform_reg_get_string("s", t, 3) * 2 + platform_reg_get_string("s", t, 4)) + t,
              "1abcdxxx");
    EXPECT_EQ(platform_reg_get_string("d", t, 8), 0); // a number is no string
    auto sets = offscreen_calls_of(CALL_REG_SET);
    EXPECT_EQ(sets.at(0)->text + sets[0]->extra + sets.at(1)->text + std::to_string(sets[1]->a), "sabcdd7");
}
