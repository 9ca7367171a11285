// The menu bar against the off-screen platform: level pictures, item states, commands and the pages they open.
#include <filesystem>
#include <fstream>
#include <tuple>

#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "resources/resource_ids.h"
#include "shell/help_pages.h"
#include "shell/menus.h"
#include "tests/map_fixture.h"

// After the pack's name, three levels; the second names a treasure tile the pack lacks, the third takes two pushes.
namespace
{

const char* const PACK_TEXT = "\nTile:\nName: gem\nWidth: 3\nHeight: 1\nImagery:\n1 2 3\nend\nend\n"
                              "Level:\nTreasure: gem\nLayout:\n#####\n#@$.#\n#####\nend\nend\n"
                              "Level:\nTreasure: nothing\nLayout:\n#####\n#@$.#\n#####\nend\nend\n"
                              "Level:\nTreasure: gem\nLayout:\n######\n#@$.-#\n#-$.-#\n######\nend\nend\n";

class Menus : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        open_map();
        platform_attach_menu();
        for (const char* name : {"First", "Castle"}) {
            const std::string text = std::string("Zandrek Pack\nName: ") + name + PACK_TEXT;
            append_pack(state, read_pack_bytes(text.data(), text.size()));
        }
    }
    Pack_info& pack(int k) { return *nth_pack(state.packs.get(), k); }
    uint32_t item(int id) { return offscreen().menu_states[id]; }
    // The menu changes of one kind: "id" for each, or "id:width,height" for pictures, "!" after one without pixels.
    std::string changes(const std::string& what)
    {
        std::string out;
        for (const Platform_call* c : offscreen_calls_of(CALL_MENU)) {
            const std::string size = ":" + std::to_string(c->c) + "," + std::to_string(c->d) + (c->b ? " " : "! ");
            if (c->text == what) out += std::to_string(c->a) + (what == "picture" ? size : " ");
        }
        return out;
    }
};

} // namespace

TEST_F(Menus, LevelMenusGiveEveryLevelAnItemAndReadEachPacksProgress)
{
    offscreen().registry["solved:Castle"] = Registry_value{true, {2, 0, 0, 0}};
    build_level_menu(state, MENU_BEGINNER, 2, 3);
    build_pack_menus(state);
    // Pack pictures have the tile's own size; the shared header is put back after.
    EXPECT_EQ(changes("picture"), "10002:16,-12 10003:16,-12 10101:3,-1 10103:3,-1 10201:3,-1 10203:3,-1 ");
    EXPECT_EQ(changes("text") + offscreen().menu_items.at(10202), "10102 10202 ???");
    EXPECT_EQ(changes("submenu"), std::to_string(MENU_BEGINNER) + " ");
    EXPECT_EQ(offscreen().level_menu_titles, (std::vector<std::string>{"First", "Castle"}));
    EXPECT_EQ(std::make_tuple(pack(1).highest_level, pack(2).highest_level), std::make_tuple(1, 2));
    EXPECT_EQ(std::make_tuple(state.draw.tile_dib.header.width, state.draw.tile_dib.header.height),
              std::make_tuple(int32_t{TILE_W}, int32_t{-TILE_H}));
    EXPECT_EQ(item(10002) & item(10102) & item(10203), uint32_t{MENU_ITEM_GREYED}); // until a menu opens in play
    free_menu_bitmaps(state);
    EXPECT_EQ(changes("free picture").substr(0, 12) + changes("free picture").substr(49 * 6),
              "10001 10002 10050 10101 10102 10103 10201 10202 10203 ");
    platform_attach_menu(); // a new menu forgets the old one's items
    // A popup that cannot be made leaves that pack and the later ones out, progress unread.
    offscreen().calls.clear();
    offscreen().registry["solved:Castle"] = Registry_value{true, {3, 0, 0, 0}};
    offscreen().popups_before_failure = 1;
    build_pack_menus(state);
    EXPECT_EQ(offscreen().level_menu_titles.size(), 1u);
    EXPECT_EQ(pack(2).highest_level, 2);
    build_level_menu(state, MENU_BEGINNER, 1, 3);
    offscreen().draw_available = false, offscreen().popups_before_failure = -1;
    build_level_menu(state, MENU_BEGINNER, 1, 3);
    build_pack_menus(state);
    EXPECT_EQ(changes("picture"), "10101:3,-1 10103:3,-1 ");
}

TEST_F(Menus, ItemStatesFollowTheGame)
{
    const uint32_t E = MENU_ITEM_ENABLED, G = MENU_ITEM_GREYED, C = MENU_ITEM_CHECKED;
    // The menu resource's own states, before any update.
    for (int id : {MENU_UNDO, MENU_RESTART, MENU_NEXT_LEVEL, MENU_PREVIOUS_LEVEL, MENU_SPEECH, MENU_MOTION_SOUNDS,
                   MENU_MAGNIFY_2})
        EXPECT_EQ(item(id), id == MENU_MAGNIFY_2 ? 0 : id < MENU_SPEECH ? G : C) << id;
    build_pack_menus(state);
    update_menu_states(state);
    EXPECT_EQ(changes("state").substr(0, 12), "10001 10002 ");
    for (int id : {10001, 10050, 10101, MENU_NEXT_LEVEL, MENU_PREVIOUS_LEVEL, MENU_UNDO, MENU_RESTART})
        EXPECT_EQ(item(id), G) << "title screen " << id;
    // {highest built-in, highest in the pack, level played, pack (0: built-in), next, previous}
    const uint32_t cases[][6] = {
        {3, 1, 2, 0, E, E}, {3, 1, 3, 0, G, E}, {1, 3, 1, 0, G, G}, {1, 2, 2, 2, G, E}, {1, 3, 2, 2, E, E}};
    for (const auto& c : cases) {
        state.max_level = static_cast<int>(c[0]);
        pack(2).highest_level = static_cast<int>(c[1]);
        select_level_set(state, static_cast<int>(c[3]), static_cast<int>(c[2]));
        update_menu_states(state);
        for (uint32_t n = 1; n <= 50; ++n)
            EXPECT_EQ(item(10000 + n), !c[3] && n == c[2] ? C : n <= c[0] ? E : G) << n;
        for (uint32_t n = 1; n <= 3; ++n)
            EXPECT_EQ(item(10200 + n), c[3] && n == c[2] ? C : n <= c[1] ? E : G) << n;
        EXPECT_EQ(std::vector<uint32_t>(
                      {item(MENU_NEXT_LEVEL), item(MENU_PREVIOUS_LEVEL), item(MENU_UNDO), item(MENU_RESTART)}),
                  std::vector<uint32_t>({c[4], c[5], G, E}));
    }
    select_level_set(state, 1, 3);
    press_keys(state, ">");
    for (int mode : {MODE_SOLVED, MODE_PLAY}) {
        state.mode = mode;
        update_menu_states(state);
        const uint32_t expected = mode == MODE_PLAY ? E : G;
        EXPECT_EQ(std::make_tuple(item(MENU_UNDO), item(MENU_PREVIOUS_LEVEL)), std::make_tuple(expected, expected))
            << "mode " << mode;
    }
}

TEST_F(Menus, CommandsActOnTheGameAndOpenTheirPages)
{
    run_menu_command(state, MENU_MAGNIFY_3);
    const Offscreen& o = offscreen();
    EXPECT_EQ(std::vector<int64_t>({o.client_width, o.client_height, o.width, o.height, item(MENU_MAGNIFY_3)}),
              std::vector<int64_t>({960, 576, 960, 576, MENU_ITEM_CHECKED}));
    for (int id : {MENU_MAGNIFY_1, MENU_MAGNIFY_4, 1220, 1225}) { // the last two are no magnification
        run_menu_command(state, id);
        EXPECT_EQ(state.magnify, id == 1220 || id == 1225 ? 4 : id - 1220);
        EXPECT_EQ(item(MENU_MAGNIFY_3) | item(id == MENU_MAGNIFY_1 ? 0 : MENU_MAGNIFY_1), 0u); // the old one unchecked
    }
    for (bool on : {false, true}) {
        run_menu_command(state, MENU_SPEECH);
        run_menu_command(state, MENU_MOTION_SOUNDS);
        EXPECT_EQ(state.sound.speech_on + 2 * state.sound.motion_sounds_on, on * 3);
        EXPECT_EQ(item(MENU_SPEECH) | item(MENU_MOTION_SOUNDS) << 8, on ? MENU_ITEM_CHECKED * 257u : 0u);
    }
    // Quick Help and About keep a screen's mode, but not play's.
    for (int id_mode : {MENU_QUICK_HELP * 10 + MODE_TITLE, MENU_QUICK_HELP * 10 + MODE_PLAY,
                        MENU_ABOUT * 10 + MODE_TITLE, MENU_ABOUT * 10 + MODE_PLAY}) {
        state.mode = id_mode % 10;
        run_menu_command(state, id_mode / 10);
        EXPECT_EQ(state.mode, id_mode % 10 == MODE_PLAY ? MODE_HELP : id_mode % 10) << id_mode;
    }
    // Undo and Restart look at the mode themselves; unknown ids do nothing.
    offscreen().calls.clear();
    for (int id : {MENU_UNDO, MENU_RESTART, 0, 105, 9999, 10000, 20000})
        run_menu_command(state, id);
    EXPECT_TRUE(offscreen().calls.empty());
    // First the stored name, cut to the buffer if stored without its zero; then asked: cancelled stays, given starts.
    offscreen().registry["player_name"] = Registry_value{false, std::vector<uint8_t>(16, 'm')};
    offscreen().dialog_answers = {{-1, ""}, {0, "Mira"}};
    for (int mode : {MODE_PLAY, MODE_TITLE, MODE_PLAY}) {
        state.mode = MODE_TITLE;
        run_menu_command(state, MENU_PLAYER_NAME);
        EXPECT_EQ(state.mode, mode);
    }
    EXPECT_EQ(offscreen_calls_of(CALL_DIALOG).at(0)->text, std::string(15, 'm'));
    state.max_level = 3;
    for (int id_level : {10002 * 10 + 2, MENU_NEXT_LEVEL * 10 + 3, MENU_PREVIOUS_LEVEL * 10 + 2}) {
        run_menu_command(state, id_level / 10);
        EXPECT_EQ(state.play_board.number, id_level % 10);
    }
    press(state, CODE_P); // the key takes the menu's way, and stops at level 1
    press(state, CODE_P);
    EXPECT_EQ(state.play_board.number, 1);
    run_menu_command(state, 10103);
    const int start = state.play_board.player_x;
    for (int id : {MENU_UNDO, MENU_RESTART}) {
        press_keys(state, ">");
        run_menu_command(state, id);
        EXPECT_EQ(state.play_board.player_x, start) << id;
    }
    run_menu_command(state, MENU_EXIT);
    EXPECT_TRUE(offscreen().quit_posted);
    // Pages open in the browser or the help viewer, and a refusal is reported.
    const std::string offer =
        "box 5 Zandrek Level Solutions: YES, YOU MAY NOT BELIEVE IT, BUT ALL THE LEVELS ARE SOLVABLE!; ";
    // Command, the browser's result, the box's answer, a hint book beside the game, what was handed on.
    const std::tuple<int, int, int, bool, std::string> pages[] = {
        {MENU_LATEST_VERSION, 0, 0, false, "url " + std::string(NEWS_PAGE_URL) + "; "},
        {MENU_WEBSITE, 0, 0, false, "url " + std::string(GAME_PAGE_URL) + "; "},
        {MENU_HELP_CONTENTS, 0, 0, false, "url C:\\zandrek\\zandhelp.html; "},
        {MENU_WEBSITE, static_cast<int>(0x80004005u), 0, false,
         "url " + std::string(GAME_PAGE_URL) + "; box 4 Zandrek: Error invoking URL: Unknown error.; "},
        {MENU_LEVEL_SOLUTIONS, 0, ANSWER_NO, false, offer},
        {MENU_LEVEL_SOLUTIONS, 0, ANSWER_YES, false, offer + "url " + GAME_PAGE_SHORT_URL + "; "},
        {MENU_LEVEL_SOLUTIONS, 0, ANSWER_YES, true, "help C:\\zandrek\\HintBook.hlp; "}};
    auto home = std::filesystem::current_path();
    std::filesystem::create_directory(path("hints"));
    std::filesystem::current_path(paths.back());
    for (const auto& [id, url_result, answer, hint_book, expected] : pages) {
        offscreen_reset();
        offscreen().url_result = url_result;
        offscreen().box_answers.push_back(answer);
        if (hint_book) std::ofstream("HintBook.hlp") << "hints";
        run_menu_command(state, id);
        std::string handed;
        for (const Platform_call& p : o.calls) {
            if (p.kind == CALL_OPEN_URL) handed += "url " + p.text + "; ";
            if (p.kind == CALL_HELP_FILE) handed += "help " + p.text + "; ";
            if (p.kind == CALL_BOX)
                handed +=
                    "box " + std::to_string(p.a) + " " + p.extra + ": " + p.text.substr(0, p.text.find('\n')) + "; ";
        }
        EXPECT_EQ(handed, expected);
    }
    std::filesystem::current_path(home);
}
