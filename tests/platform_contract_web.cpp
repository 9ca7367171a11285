// The browser platform's side of the platform contract, in the game's own
// page (contract.html): time is the page's, with the layer's message loop
// running; a box is answered by a click on its first button; the menu
// states are read from the menu bar as it shows them. Each case's outcome is
// left on the page for tests/web/contract.py.
#include <emscripten.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/game_state.h"
#include "engine/timers.h"
#include "shell/platform.h"
#include "shell/web/web_shell.h"
#include "tests/platform_contract.h"

namespace
{

namespace fs = std::filesystem;
const fs::path SCRATCH = "/contract";
constexpr int32_t TIME_PASSED_TIMER = -1; // no game timer has this id
constexpr int AUDIO_START_LIMIT_MS = 5000;

EM_JS(void, web_forget_settings, (), { localStorage.clear(); });
EM_JS(void, web_answer_boxes_after, (int ms), {
    window.boxAnswerer = new MutationObserver(function() {
        for (const box of document.querySelectorAll("dialog[open]:not([data-answering])")) {
            box.dataset.answering = "yes";
            setTimeout(
                function() { box.querySelector("button").click(); }, ms);
        }
    });
    window.boxAnswerer.observe(document.body, {childList : true, subtree : true});
});
EM_JS(uint32_t, web_menu_shown, (int id, uint32_t greyed, uint32_t checked), {
    const item = document.querySelector("#menubar .item[data-id=\"" + id + "\"]");
    if (!item) return 0xffffffff;
    return (item.classList.contains("greyed") ? greyed : 0) |
           (item.getAttribute("aria-checked") == "true" ? checked : 0);
});
// Stands for the player's first key or click, after which the page plays.
EM_ASYNC_JS(int, web_audio_running, (int limit_ms), {
    ZandrekPage.audio.start();
    const context = ZandrekPage.audio.context;
    if (!context) return 0;
    await Promise.race([ context.resume(), new Promise(function(wake) { setTimeout(wake, limit_ms); }) ]);
    return context.state == "running";
});
EM_JS(void, web_report, (const char* name, const char* outcome, const char* why), {
    window.contractRun = window.contractRun || {};
    window.contractRun[UTF8ToString(name)] = {outcome : UTF8ToString(outcome), why : UTF8ToString(why)};
});

void report(const testing::TestInfo& test)
{
    const testing::TestResult& result = *test.result();
    std::string why;
    for (int i = 0; i < result.total_part_count(); ++i)
        why += result.GetTestPartResult(i).message() + std::string("\n");
    web_report(test.name(), result.Skipped() ? "skipped" : result.Failed() ? "failed" : "passed", why.c_str());
}

} // namespace

void contract_start()
{
    web_forget_settings();
    platform_open_settings();
    platform_create_main_window(PLATFORM_DEFAULT_POSITION, 0);
    platform_attach_menu();
    fs::remove_all(SCRATCH);
    fs::create_directories(SCRATCH);
    fs::current_path(SCRATCH);
}

void contract_finish()
{
    fs::current_path("/");
    fs::remove_all(SCRATCH);
    EM_ASM({
        if (window.boxAnswerer) window.boxAnswerer.disconnect();
    });
    timer_list_clear(the_game());
}

void contract_let_time_pass(int milliseconds)
{
    platform_set_timer(TIME_PASSED_TIMER, milliseconds);
    for (Web_message m = next_web_message(); m.kind != WEB_TIMER || m.a != TIME_PASSED_TIMER; m = next_web_message())
        dispatch_web_message(m);
    platform_kill_timer(TIME_PASSED_TIMER);
}

void contract_keep_boxes_open(int milliseconds)
{
    web_answer_boxes_after(milliseconds);
}

uint32_t contract_menu_state(int id)
{
    return web_menu_shown(id, MENU_ITEM_GREYED, MENU_ITEM_CHECKED);
}

const char* contract_no_sound_because()
{
    return web_audio_running(AUDIO_START_LIMIT_MS)
               ? ""
               : "the browser keeps the page silent until the player first presses a key or clicks";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    (void)RUN_ALL_TESTS();
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    for (int i = 0; i < run.total_test_suite_count(); ++i)
        for (int j = 0; j < run.GetTestSuite(i)->total_test_count(); ++j)
            report(*run.GetTestSuite(i)->GetTestInfo(j));
    EM_ASM({ window.contractResults = window.contractRun; });
    return 0;
}
