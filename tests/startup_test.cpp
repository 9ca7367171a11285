// Start-up and shutdown against the off-screen platform: the steps, each failure, the settings and the news offer.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/game_state.h"
#include "presentation/fidget.h"
#include "shell/help_pages.h"
#include "shell/news_check.h"
#include "shell/startup.h"
#include "shell/window_position.h"
#include "tests/map_fixture.h"
#include "tests/refused_allocations.h"

namespace
{

class Startup : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        enter_temp_folder();
        ASSERT_EQ(write_map_file(test_map_contents(), "Zandrek.map"), 0);
        std::ofstream("castle.zrp") << "Zandrek Pack\nName: Castle\nLevel:\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
        offscreen_reset(2);
    }
    void TearDown() override
    {
        program.reset();
        news_waiting = false;
        Map_test::TearDown();
    }
    // The whole program, or only its start: the steps it took, with sizes, pauses and pictures, as one line.
    std::string run(bool whole, std::vector<std::string> args = {"zandrek.exe"})
    {
        program = std::make_unique<Game_state>();
        std::vector<char*> argv = {args[0].data(), args.size() > 1 ? args[1].data() : nullptr};
        EXPECT_EQ((whole ? run_program : start_program)(*program, static_cast<int>(args.size()), argv.data()), 0);
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
    std::unique_ptr<Game_state> program;
};

// The news check keeps the page's date as text, its terminator stored too.
TEST_F(Startup, ATextSettingReadsBackWhole)
{
    reg_set_string("NewsLastModified", "Tue, 08 Dec 2026");
    char stored[32] = "stale";
    EXPECT_EQ(reg_get_string("NewsLastModified", stored, sizeof stored), 1);
    EXPECT_STREQ(stored, "Tue, 08 Dec 2026");
}

// What the off-screen platform records of the write: the value's name and its text.
TEST_F(Startup, ATextSettingIsWrittenUnderItsName)
{
    offscreen().calls.clear();
    reg_set_string("NewsLastModified", "Tue");
    const std::vector<const Platform_call*> writes = offscreen_calls_of(CALL_REG_SET);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_THAT(std::make_tuple(writes[0]->text, writes[0]->extra), testing::FieldsAre("NewsLastModified", "Tue"));
}

} // namespace

TEST_F(Startup, TheProgramRunsItsStepsInOrder)
{
    store_window_position(-20, 50); // the last run's window, partly off the screen's left edge
    news_waiting = true;
    offscreen().box_answers = {ANSWER_NO, ANSWER_YES}; // declined at start, taken at shutdown
    EXPECT_EQ(run(true, {"zandrek.exe", "3"}),
              "sleep 3000,0, start news, process defaults, com, register class, open settings, create window 0,50, "
              "attach menu, size client 640,384, show window, size client 640,384, palette 128, level menu 113,1, "
              "level menu 114,2, level menu 115,3, pack 0,4 Castle, sleep 500,0, DLG_NEWS, message loop, free pack "
              "pictures, release dc, destroy menu, destroy window, close settings, DLG_NEWS, open " +
                  std::string(NEWS_PAGE_URL) + ", close news, pictures 50");
}

TEST_F(Startup, StoredSettingsGiveTheWindowsGeometry)
{
    // Off a 1024 by 768 screen a coordinate becomes 0; a magnification stored as text is absent.
    const int ABSENT = 1 << 30, TEXT = ABSENT + 1, D = PLATFORM_DEFAULT_POSITION;
    // Stored x, y and magnification, then the window's position and client size and the magnification stored after.
    using Geometry = std::tuple<int64_t, int64_t, int64_t, int64_t, uint32_t>;
    const std::tuple<int, int, int, Geometry> rows[] = {
        {5000, 10, 3, {0, 10, 960, 576, 3}},     {1024, 767, 1, {0, 767, 320, 192, 1}},
        {1023, 768, 4, {1023, 0, 1280, 768, 4}}, {100, ABSENT, 9, {D, D, 1280, 768, 4}},
        {30, 800, TEXT, {30, 0, 640, 384, 2}},   {ABSENT, 40, 0, {D, D, 320, 192, 1}},
        {0, 0, ABSENT, {0, 0, 640, 384, 2}}};
    for (const auto& [x, y, magnify, geometry] : rows) {
        SCOPED_TRACE(testing::Message() << x << "," << y << " magnify " << magnify);
        offscreen_reset(2);
        if (x != ABSENT) platform_reg_set_dword("x", static_cast<uint32_t>(x));
        if (y != ABSENT) platform_reg_set_dword("y", static_cast<uint32_t>(y));
        if (magnify == TEXT) offscreen().registry["magnify"] = Registry_value{false, {'3', 0}};
        if (magnify < ABSENT) platform_reg_set_dword("magnify", static_cast<uint32_t>(magnify));
        run(false);
        Offscreen& o = offscreen();
        uint32_t stored = 0;
        platform_reg_get_dword("magnify", &stored);
        EXPECT_EQ(std::make_tuple(o.window_x, o.window_y, o.client_width, o.client_height, stored), geometry);
    }
}

TEST_F(Startup, ATimerThatCannotBeMadeIsNamedInABox)
{
    for (const auto& [made, box] : {std::pair{0, "Can't create fidget timer"}, {1, "Can't create msgline timer"}}) {
        SCOPED_TRACE(box);
        offscreen().calls.clear();
        Game_state game;
        nothrow_allocations_left = made;
        const int result = create_game_timers(game);
        nothrow_allocations_left = -1;
        EXPECT_THAT(std::make_tuple(result, box_texts()), testing::FieldsAre(-1, testing::ElementsAre(box)));
    }
}

TEST_F(Startup, EachFailureEndsBeforeTheLoopWithItsBox)
{
    // The arrangement, the box and the step that fails.
    const std::tuple<void (*)(Offscreen&), const char*, const char*> rows[] = {
        {[](Offscreen& o) { o.com_result = static_cast<int>(0x80004005u); },
         "Error initializing COM library: Unknown error.", "com"},
        {[](Offscreen& o) { o.class_fails = true, o.last_error = 1410; },
         "Error registering Zandrek window class: Class already exists.", "register class"},
        {[](Offscreen& o) { o.settings_fail = true, o.last_error = 5; },
         "Error opening Zandrek Registry key: Access is denied.", "open settings"},
        {[](Offscreen& o) { o.window_fails = true, o.last_error = 1407; },
         "Error opening Zandrek window: Cannot find window class.", "create window"},
        {[](Offscreen&) { std::filesystem::remove("Zandrek.map"); }, "Can't open Zandrek.map for reading",
         "attach menu"}};
    for (const auto& [arrange, box, failed_step] : rows) {
        SCOPED_TRACE(failed_step);
        offscreen_reset(2);
        store_window_position(0, 0); // so the window step shows no default
        arrange(offscreen());
        const std::string taken = run(true);
        EXPECT_EQ(taken.substr(taken.rfind(failed_step)), failed_step + std::string(", close news, pictures 0"));
        EXPECT_THAT(box_texts(), testing::ElementsAre(box));
    }
}
