// The shell's words to the player: error texts, the error box, the web and
// help pages the menus open, the input tables, and the help page itself.
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/events.h"
#include "engine/game_state.h"
#include "resources/resource_ids.h"
#include "shell/error_text.h"
#include "shell/help_pages.h"
#include "shell/menus.h"
#include "shell/message_box.h"
#include "shell/platform_offscreen.h"
#include "shell/window_input.h"
#include "tests/map_fixture.h"

namespace
{

TEST(Error_texts, TheTableHoldsExactlyTheCodesOfTheGameAndTheSearchFindsEach)
{
    const int ranges[][2] = {
        {-8, 34},       {36, 36},       {38, 39},       {50, 72},       {80, 80},       {82, 89},       {100, 114},
        {117, 162},     {164, 164},     {167, 167},     {170, 170},     {173, 174},     {180, 180},     {182, 183},
        {186, 203},     {205, 210},     {212, 212},     {214, 215},     {230, 234},     {240, 240},     {254, 255},
        {259, 259},     {266, 267},     {275, 278},     {282, 282},     {288, 288},     {298, 298},     {317, 317},
        {487, 487},     {534, 536},     {994, 999},     {1001, 1022},   {1051, 1078},   {1100, 1131},   {1200, 1221},
        {1300, 1338},   {1340, 1394},   {1400, 1449},   {1500, 1503},   {1700, 1728},   {1730, 1737},   {1739, 1753},
        {1755, 1757},   {1759, 1762},   {1764, 1816},   {1898, 1900},   {2138, 2138},   {2202, 2202},   {2250, 2250},
        {2401, 2401},   {2404, 2404},   {6118, 6118},   {10004, 10004}, {10009, 10009}, {10013, 10014}, {10022, 10022},
        {10024, 10024}, {10035, 10071}, {10091, 10093}, {10101, 10101}, {11001, 11004},
    };
    std::set<int> codes;
    for (const auto& r : ranges)
        for (int c = r[0]; c <= r[1]; ++c)
            codes.insert(c);
    ASSERT_EQ(codes.size(), size_t{ERROR_TEXT_COUNT});
    int i = 0;
    for (int code : codes) {
        ASSERT_EQ(ERROR_TEXTS[i].code, code) << "entry " << i;
        EXPECT_STRNE(ERROR_TEXTS[i].text, "");
        EXPECT_EQ(error_text(code), ERROR_TEXTS[i].text) << code;
        ++i;
    }
    const struct {
        int32_t code;
        const char* text;
    } quoted[] = {
        {-8, "Compression algorithm not recognized."},
        {-1, "Invalid input handle."},
        {0, "No error."},
        {2, "The system cannot find the file specified."},
        {5, "Access is denied."},
        {87, "The parameter is incorrect."},
        {1400, "The window handle invalid."},
        {10060, "Connection timed out."},
        {11004, "Valid name, but no data record of requested type."},
        {35, "Unknown error."},
        {-9, "Unknown error."},
        {20000, "Unknown error."},
        {static_cast<int32_t>(0x80004005u), "Unknown error."},
        {11000, "Unknown error."},
        {6117, "Unknown error."},
    };
    for (const auto& q : quoted)
        EXPECT_STREQ(error_text(q.code), q.text) << q.code;
}

TEST(Error_texts, TheErrorBoxJoinsMessageAndDetail)
{
    offscreen_reset();
    report_error("Error opening Zandrek window", "Class does not exist.");
    report_error("Only the message", nullptr);
    report_error(nullptr, "Only the detail");
    report_error(nullptr, nullptr);
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0]->text, "Error opening Zandrek window: Class does not exist.");
    EXPECT_EQ(boxes[1]->text, "Only the message");
    EXPECT_EQ(boxes[2]->text, "Only the detail");
    for (auto* b : boxes)
        EXPECT_EQ(b->a, BOX_STOP);
    EXPECT_EQ(boxes[0]->extra, "Zandrek");
}

TEST(Pages, MenuCommandsOpenTheirPagesAndARefusalIsReported)
{
    Game_state state;
    offscreen_reset();
    const struct {
        int id;
        std::string url;
    } pages[] = {
        {MENU_LATEST_VERSION, NEWS_PAGE_URL},
        {MENU_RECENT_NEWS, NEWS_PAGE_URL},
        {MENU_WEBSITE, GAME_PAGE_URL},
        {MENU_MAKER_WEBSITE, MAKER_PAGE_URL},
        {MENU_HELP_CONTENTS, "C:\\zandrek\\zandhelp.html"},
    };
    for (const auto& p : pages)
        run_menu_command(state, p.id);
    auto urls = offscreen_calls_of(CALL_OPEN_URL);
    ASSERT_EQ(urls.size(), std::size(pages));
    for (size_t i = 0; i < urls.size(); ++i)
        EXPECT_EQ(urls[i]->text, pages[i].url);
    EXPECT_EQ(std::string(NEWS_PAGE_URL).substr(std::string(MAKER_PAGE_URL).size()), "/zandrek/latest-v4.0.html");
    EXPECT_TRUE(offscreen_calls_of(CALL_BOX).empty());

    offscreen().url_result = static_cast<int>(0x80004005u);
    run_menu_command(state, MENU_WEBSITE);
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text, "Error invoking URL: Unknown error.");
}

TEST(Pages, LevelSolutionsOpenTheHintBookOrOfferTheWebSite)
{
    Game_state state;
    auto home = std::filesystem::current_path();
    std::string folder = temp_path("hints");
    std::filesystem::create_directory(folder);
    std::filesystem::current_path(folder);
    for (int answer : {ANSWER_NO, ANSWER_YES}) {
        offscreen_reset();
        offscreen().box_answers.push_back(answer);
        run_menu_command(state, MENU_LEVEL_SOLUTIONS);
        auto boxes = offscreen_calls_of(CALL_BOX);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]->a, BOX_QUESTION);
        EXPECT_EQ(boxes[0]->extra, "Zandrek Level Solutions");
        EXPECT_EQ(boxes[0]->text.substr(0, 24), "YES, YOU MAY NOT BELIEVE");
        auto urls = offscreen_calls_of(CALL_OPEN_URL);
        ASSERT_EQ(urls.size(), answer == ANSWER_YES ? 1u : 0u);
        if (!urls.empty()) {
            EXPECT_EQ(urls[0]->text, GAME_PAGE_SHORT_URL);
        }
    }
    std::ofstream("HintBook.hlp") << "hints";
    offscreen_reset();
    run_menu_command(state, MENU_LEVEL_SOLUTIONS);
    auto help = offscreen_calls_of(CALL_HELP_FILE);
    std::filesystem::current_path(home);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0]->text, "C:\\zandrek\\HintBook.hlp");
    EXPECT_TRUE(offscreen_calls_of(CALL_BOX).empty());
}

TEST(Input, KeysCharactersAndButtonsBecomeTheEnginesCodes)
{
    const uint32_t keys[][2] = {
        {VKEY_ESCAPE, CODE_ESCAPE},
        {VKEY_F1, 1},
        {0x74, 5},
        {VKEY_F10, 10},
        {0x7A, 48},
        {0x7B, 48},
        {VKEY_UP, CODE_UP},
        {VKEY_DOWN, CODE_DOWN},
        {VKEY_LEFT, CODE_LEFT},
        {VKEY_RIGHT, CODE_RIGHT},
        {VKEY_BACKSPACE, CODE_BACKSPACE},
        {VKEY_DELETE, CODE_DELETE},
        {'H', 48},
        {'Q', 48},
        {0x0D, 48},
        {0x10, 48},
    };
    for (const auto& k : keys)
        EXPECT_EQ(key_code(k[0]), static_cast<int32_t>(k[1])) << k[0];
    const std::string coded = "u/?abcdefghjklmnprstvwx";
    for (int c = 0; c < 256; ++c) {
        size_t at = coded.find(static_cast<char>(c));
        int32_t expected = c && at != std::string::npos ? (c == 'u' ? 17 : c == '/' ? 20 : c == '?' ? 21 : 0) : -1;
        if (expected == 0) expected = CODE_A + static_cast<int32_t>(at) - 3;
        EXPECT_EQ(char_code(static_cast<uint32_t>(c)), expected) << c;
    }

    Game_state state;
    offscreen_reset();
    // Shift + Ctrl, dragged out of the window to the upper left.
    const uint32_t outside = (static_cast<uint32_t>(static_cast<uint16_t>(-7)) << 16) | static_cast<uint16_t>(-3);
    on_window_input(state, INPUT_LEFT_DOWN, MOUSE_KEY_SHIFT | MOUSE_KEY_CONTROL, outside);
    EXPECT_EQ(state.last_pointer_x, -3);
    EXPECT_EQ(state.last_pointer_y, -7);
    EXPECT_TRUE(offscreen().mouse_captured);
    on_window_input(state, INPUT_LEFT_UP, 0, (40u << 16) | 1000u);
    EXPECT_FALSE(offscreen().mouse_captured);
    EXPECT_EQ(state.last_pointer_x, 1000);
    for (uint32_t q : {'q', 'Q'}) {
        offscreen().quit_posted = false;
        on_window_input(state, INPUT_CHAR, q, 0);
        EXPECT_TRUE(offscreen().quit_posted);
    }

    // Leaving the finale brings the congratulation once, after the message.
    state.finale_seen = 1;
    after_window_message(state);
    after_window_message(state);
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->a, BOX_INFO);
    EXPECT_EQ(boxes[0]->text.substr(0, 25), "**** YOU DID IT!!! ****\n\n");
    EXPECT_EQ(state.finale_seen, 0);
}

TEST(Help_page, EveryLocalLinkAndAnchorResolvesAndNothingIsFetched)
{
    std::ifstream file("resources/zandhelp.html");
    ASSERT_TRUE(file) << "run from the source folder";
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string html = buffer.str();
    std::set<std::string> ids;
    const std::regex id_pattern("\\bid=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), id_pattern); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "id twice: " << (*it)[1];
    int links = 0;
    const std::regex href_pattern("\\bhref=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), href_pattern); it != std::sregex_iterator(); ++it) {
        std::string target = (*it)[1];
        ++links;
        ASSERT_FALSE(target.empty());
        if (target[0] == '#')
            EXPECT_EQ(ids.count(target.substr(1)), 1u) << target;
        else
            ADD_FAILURE() << "the page links outside itself: " << target;
    }
    EXPECT_GE(links, 9);
    // Self-contained: no picture, script or style sheet from elsewhere.
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    for (const char* section : {"keys", "mouse", "menus", "levels", "packs", "writing"})
        EXPECT_EQ(ids.count(section), 1u);
}

} // namespace
