// Start-up and shutdown of the program against the off-screen platform: the
// order of the steps, where each failure ends, and what the settings decide.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "shell/platform_offscreen.h"
#include "shell/startup.h"
#include "tests/map_fixture.h"

namespace
{

class Startup : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        offscreen_reset(2);
        folder = temp_path("folder");
        std::filesystem::create_directory(folder);
        ASSERT_EQ(write_map_file(test_map_contents(), (folder + "/Zandrek.map").c_str()), 0);
        home = std::filesystem::current_path();
        std::filesystem::current_path(folder);
    }
    void TearDown() override
    {
        if (state.map_file) std::fclose(state.map_file);
        state.map_file = nullptr;
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void run(std::vector<std::string> args = {"zandrek.exe"})
    {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        EXPECT_EQ(run_program(state, static_cast<int>(argv.size()), argv.data()), 0);
    }
    // The start-up and shutdown steps taken, with sizes and pauses.
    std::vector<std::string> steps() const
    {
        std::vector<std::string> out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_PALETTE) out.push_back("palette");
            if (c.kind == CALL_MENU && c.text == "submenu") out.push_back("level menu " + std::to_string(c.a));
            if (c.kind != CALL_SHELL) continue;
            std::string s = c.text;
            if (s == "sleep" || s == "size client") s += " " + std::to_string(c.a);
            if (s == "create window") s += " " + std::to_string(c.a) + "," + std::to_string(c.b);
            out.push_back(s);
        }
        return out;
    }
    void store_dword(const char* name, int32_t value)
    {
        Registry_value& v = offscreen().registry[name];
        v.is_dword = true;
        v.bytes.assign(reinterpret_cast<const uint8_t*>(&value), reinterpret_cast<const uint8_t*>(&value) + 4);
    }

    Game_state state;
    std::string folder;
    std::filesystem::path home;
};

TEST_F(Startup, RunsItsStepsInOrderAndShutsDownInReverse)
{
    store_dword("x", -20);
    store_dword("y", 50);
    run({"zandrek.exe", "3"});
    const std::vector<std::string> expected = {
        "sleep 3000",     "process defaults", "com",         "register class",  "open settings", "create window 0,50",
        "attach menu",    "size client 640",  "show window", "size client 640", "palette",       "level menu 113",
        "level menu 114", "level menu 115",   "sleep 500",   "message loop",    "release dc",    "destroy menu",
        "destroy window", "close settings",
    };
    EXPECT_EQ(steps(), expected);
    // The greeting screen is up before the loop, and the magnification was stored.
    EXPECT_EQ(state.mode, MODE_TITLE);
    EXPECT_FALSE(offscreen_calls_of(CALL_TITLE).empty());
    ASSERT_EQ(offscreen().registry.count("magnify"), 1u);
    EXPECT_EQ(offscreen().registry["magnify"].bytes, (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_TRUE(offscreen_calls_of(CALL_BOX).empty());
}

TEST_F(Startup, EachFailureShowsItsBoxAndEndsBeforeTheLoop)
{
    struct Case {
        const char* what;
        void (*arrange)(Offscreen&);
        const char* box; // null: the map reader's own box
        const char* last_step;
    };
    const Case cases[] = {
        {"COM", [](Offscreen& o) { o.com_result = static_cast<int>(0x80004005u); },
         "Error initializing COM library: Unknown error.", "com"},
        {"class", [](Offscreen& o) { o.class_fails = true, o.last_error = 1410; },
         "Error registering Zandrek window class: Class already exists.", "register class"},
        {"settings", [](Offscreen& o) { o.settings_fail = true, o.last_error = 5; },
         "Error opening Zandrek Registry key: Access is denied.", "open settings"},
        {"window", [](Offscreen& o) { o.window_fails = true, o.last_error = 1407; },
         "Error opening Zandrek window: Cannot find window class.", "create window"},
        {"map", [](Offscreen&) { std::filesystem::remove("Zandrek.map"); }, nullptr, "attach menu"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        offscreen_reset(2);
        c.arrange(offscreen());
        Game_state fresh;
        run_program(fresh, 1, std::vector<char*>{const_cast<char*>("zandrek.exe")}.data());
        auto boxes = offscreen_calls_of(CALL_BOX);
        ASSERT_EQ(boxes.size(), 1u);
        if (c.box) {
            EXPECT_EQ(boxes[0]->text, c.box);
            EXPECT_EQ(boxes[0]->a, BOX_STOP);
        }
        std::vector<std::string> taken = steps();
        ASSERT_FALSE(taken.empty());
        EXPECT_EQ(taken.back().substr(0, std::string(c.last_step).size()), c.last_step);
    }
}

TEST_F(Startup, StoredPositionAndMagnificationAreCheckedBeforeUse)
{
    struct Case {
        bool x_stored, y_stored;
        int32_t x, y;
        bool magnify_as_text;
        int32_t magnify;
        int expect_x, expect_y, expect_width;
    };
    const Case cases[] = {
        {true, true, 5000, 10, false, 3, 0, 10, 960}, // off a 1024-pixel screen
        {true, false, 100, 0, false, 9, PLATFORM_DEFAULT_POSITION, PLATFORM_DEFAULT_POSITION, 1280},
        {true, true, 30, 800, true, 3, 30, 0, 640}, // a magnification stored as text is absent
        {false, true, 0, 40, false, 0, PLATFORM_DEFAULT_POSITION, PLATFORM_DEFAULT_POSITION, 320},
    };
    for (const Case& c : cases) {
        offscreen_reset(2);
        if (c.x_stored) store_dword("x", c.x);
        if (c.y_stored) store_dword("y", c.y);
        if (c.magnify_as_text)
            offscreen().registry["magnify"] = Registry_value{false, {'3', 0}};
        else
            store_dword("magnify", c.magnify);
        Game_state fresh;
        run_program(fresh, 1, std::vector<char*>{const_cast<char*>("zandrek.exe")}.data());
        if (fresh.map_file) std::fclose(fresh.map_file);
        fresh.map_file = nullptr;
        EXPECT_EQ(offscreen().window_x, c.expect_x);
        EXPECT_EQ(offscreen().window_y, c.expect_y);
        EXPECT_EQ(offscreen().client_width, c.expect_width);
        EXPECT_EQ(offscreen().client_height, c.expect_width / 320 * 192);
        uint32_t stored = 0;
        ASSERT_EQ(platform_reg_get_dword("magnify", &stored), 1);
        EXPECT_EQ(stored * 320, static_cast<uint32_t>(c.expect_width));
        EXPECT_EQ(offscreen().menu_states[1220 + stored], uint32_t{MENU_ITEM_CHECKED});
    }
}

} // namespace
