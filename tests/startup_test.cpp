// Start-up and shutdown against the off-screen platform: the steps, each failure, the settings and the news offer.
#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>

#include "engine/game_state.h"
#include "shell/help_pages.h"
#include "shell/news_check.h"
#include "shell/startup.h"
#include "shell/window_position.h"
#include "tests/map_fixture.h"

namespace
{

class Startup : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        home = std::filesystem::current_path();
        std::filesystem::create_directory(folder = temp_path("folder"));
        std::filesystem::current_path(folder);
        ASSERT_EQ(write_map_file(test_map_contents(), "Zandrek.map"), 0);
        std::ofstream("castle.zrp") << "Zandrek Pack\nName: Castle\nLevel:\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
        offscreen_reset(2);
    }
    void TearDown() override
    {
        state.reset();
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
        news_waiting = false;
    }
    // The whole program, or only its start: the steps it took, with sizes, pauses and pictures, as one line.
    std::string run(bool whole, std::vector<std::string> args = {"zandrek.exe"})
    {
        state = std::make_unique<Game_state>();
        std::vector<char*> argv = {args[0].data(), args.size() > 1 ? args[1].data() : nullptr};
        EXPECT_EQ((whole ? run_program : start_program)(*state, static_cast<int>(args.size()), argv.data()), 0);
        std::string out;
        int pictures = 0;
        for (const Platform_call& c : offscreen().calls) {
            const std::string n = std::to_string(c.a), size = n + "," + std::to_string(c.b);
            pictures += c.kind == CALL_MENU && c.text == "picture" && c.a < 10100;
            if (c.kind == CALL_MENU && c.text == "submenu") out += "level menu " + size + ", ";
            if (c.kind == CALL_MENU && c.text == "level menu") out += "pack " + size + " " + c.extra + ", ";
            if (c.kind == CALL_MENU && c.text == "free picture" && c.a == 10101) out += "free pack pictures, ";
            if (c.kind == CALL_PALETTE) out += "palette " + n + ", ";
            if (c.kind == CALL_DIALOG) out += c.text + ", ";
            if (c.kind == CALL_OPEN_URL) out += "open " + c.text + ", ";
            if (c.kind == CALL_SHELL) out += c.text + (c.a || c.b ? " " + size : "") + ", ";
        }
        return out + "pictures " + std::to_string(pictures);
    }
    std::unique_ptr<Game_state> state;
    std::filesystem::path home, folder;
};

} // namespace

TEST_F(Startup, RunsItsStepsInOrderOffersNewsAndShutsDownInReverse)
{
    platform_reg_set_dword("x", static_cast<uint32_t>(-20));
    platform_reg_set_dword("y", 50);
    news_waiting = true;
    offscreen().box_answers = {ANSWER_NO, ANSWER_YES}; // declined at start, taken at shutdown
    EXPECT_EQ(run(true, {"zandrek.exe", "3"}),
              "sleep 3000,0, start news, process defaults, com, register class, open settings, create window 0,50, "
              "attach menu, size client 640,384, show window, size client 640,384, palette 128, level menu 113,1, "
              "level menu 114,2, level menu 115,3, pack 0,4 Castle, sleep 500,0, DLG_NEWS, message loop, free pack "
              "pictures, release dc, destroy menu, destroy window, close settings, DLG_NEWS, open " +
                  std::string(NEWS_PAGE_URL) + ", close news, pictures 50");
    EXPECT_FALSE(news_waiting || state->draw.tile_dib_ready);
    EXPECT_EQ(offscreen().now_ms, 3500u); // the pauses pass on the clock the timers run by
    EXPECT_EQ(std::make_tuple(offscreen_calls_of(CALL_TITLE).size(), offscreen_calls_of(CALL_BOX).size()),
              std::make_tuple(size_t{1}, size_t{0})); // the greeting
    // No news waiting: no dialog either way; a sound playing is stopped.
    offscreen_reset(2);
    std::string quiet = run(false);
    EXPECT_EQ(quiet.substr(quiet.find("level menu 115")),
              "level menu 115,3, pack 0,4 Castle, sleep 500,0, pictures 50");
    play_speech(*state, 1);
    shut_down_program(*state);
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_CLOSE).size(), 1u);
}

TEST_F(Startup, StoredSettingsAreCheckedBeforeUseAndEachFailureShowsItsBox)
{
    // The stored settings: off a 1024 by 768 screen a coordinate becomes 0; a magnification stored as text is absent.
    const int ABSENT = 1 << 30, TEXT = ABSENT + 1, D = PLATFORM_DEFAULT_POSITION;
    const int settings[][6] = {{5000, 10, 3, 0, 10, 960},    {1024, 767, 1, 0, 767, 320}, {1023, 768, 4, 1023, 0, 1280},
                               {100, ABSENT, 9, D, D, 1280}, {30, 800, TEXT, 30, 0, 640}, {ABSENT, 40, 0, D, D, 320},
                               {0, 0, ABSENT, 0, 0, 640}};
    for (const auto& [x, y, magnify, expect_x, expect_y, expect_width] : settings) {
        offscreen_reset(2);
        if (x != ABSENT) platform_reg_set_dword("x", static_cast<uint32_t>(x));
        if (y != ABSENT) platform_reg_set_dword("y", static_cast<uint32_t>(y));
        if (magnify == TEXT) offscreen().registry["magnify"] = Registry_value{false, {'3', 0}};
        if (magnify < ABSENT) platform_reg_set_dword("magnify", static_cast<uint32_t>(magnify));
        run(false);
        Offscreen& o = offscreen();
        EXPECT_EQ(std::vector<int64_t>({o.window_x, o.window_y, o.width, o.height, o.registry["magnify"].bytes[0] * 320,
                                        o.menu_states[1220 + expect_width / 320]}),
                  std::vector<int64_t>(
                      {expect_x, expect_y, expect_width, expect_width / 320 * 192, expect_width, MENU_ITEM_CHECKED}))
            << expect_width;
    }
    // The arrangement, the box (null: the map reader's own) and the step that fails, before the message loop.
    const std::tuple<void (*)(Offscreen&), const char*, const char*> cases[] = {
        {[](Offscreen& o) { o.com_result = static_cast<int>(0x80004005u); },
         "Error initializing COM library: Unknown error.", "com"},
        {[](Offscreen& o) { o.class_fails = true, o.last_error = 1410; },
         "Error registering Zandrek window class: Class already exists.", "register class"},
        {[](Offscreen& o) { o.settings_fail = true, o.last_error = 5; },
         "Error opening Zandrek Registry key: Access is denied.", "open settings"},
        {[](Offscreen& o) { o.window_fails = true, o.last_error = 1407; },
         "Error opening Zandrek window: Cannot find window class.", "create window"},
        {[](Offscreen&) { std::filesystem::remove("Zandrek.map"); }, nullptr, "attach menu"}};
    for (const auto& [arrange, box, failed_step] : cases) {
        offscreen_reset(2);
        platform_reg_set_dword("x", 0);
        platform_reg_set_dword("y", 0);
        arrange(offscreen());
        const std::string taken = run(true);
        EXPECT_EQ(taken.substr(taken.rfind(failed_step)), failed_step + std::string(", close news, pictures 0"));
        EXPECT_TRUE(box_texts().size() == 1 && (!box || box_texts()[0] == box)) << failed_step;
    }
}

TEST(Startup_delay, TheFirstArgumentsSecondsAreClampedToWhatTheSleepTakes)
{
    const std::pair<const char*, int> rows[] = {
        {"3", 3000},
        {"0", 0},
        {"-2", 0},
        {"2147483", 2147483000},
        {"2147484", 2147483000},
        {"99999999999999999999", 2147483000},
        {"12abc", 12000},
        {"abc", 0},
    };
    for (const auto& [argument, milliseconds] : rows)
        EXPECT_EQ(startup_delay_ms(argument), milliseconds) << argument;
}

TEST(Window_position, IsStoredAsXAndYAndOpensThereWhenOnTheScreen)
{
    // stored x, y; opened x, y on a 1024 by 768 screen
    const int rows[][4] = {{100, 200, 100, 200}, {-20, 50, 0, 50}, {1023, 767, 1023, 767}, {1024, 5, 0, 5}};
    for (const auto& [x, y, open_x, open_y] : rows) {
        offscreen_reset(2);
        store_window_position(x, y);
        uint32_t stored_x = 0, stored_y = 0;
        ASSERT_EQ(platform_reg_get_dword("x", &stored_x) + platform_reg_get_dword("y", &stored_y), 2);
        EXPECT_EQ(std::make_pair(static_cast<int32_t>(stored_x), static_cast<int32_t>(stored_y)), std::make_pair(x, y));
        int loaded_x = 1, loaded_y = 1;
        load_window_position(&loaded_x, &loaded_y);
        EXPECT_EQ(std::make_pair(loaded_x, loaded_y), std::make_pair(open_x, open_y)) << x << "," << y;
    }
}
