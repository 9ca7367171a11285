// The browser platform's side of the platform contract, in the game's own
// page (contract.html): time is the page's, with the layer's message loop
// running; a box is answered by a click on its first button; the menu
// states are read from the menu bar as it shows them. tests/web/contract.py
// reads the outcomes.
#include <emscripten.h>
#include <gtest/gtest.h>

#include <filesystem>

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
    return web_audio_running(AUDIO_START_LIMIT_MS) ? "" : "the browser keeps the page silent until a key or click";
}

// The cases' outcomes reach the page as gtest's XML report.
int main(int argc, char** argv)
{
    GTEST_FLAG_SET(output, "xml:/contract.xml");
    testing::InitGoogleTest(&argc, argv);
    (void)RUN_ALL_TESTS();
    EM_ASM({ window.contractResults = FS.readFile("/contract.xml", {encoding : "utf8"}); });
    return 0;
}
