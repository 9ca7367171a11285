// The menu bar against the off-screen platform: level pictures and pack
// submenus, the item states before a menu opens, and the command table.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "resources/resource_ids.h"
#include "shell/menus.h"
#include "shell/platform_offscreen.h"
#include "tests/map_fixture.h"

namespace
{

const char* const PACK_TEXT = "Zandrek Pack\n"
                              "Name: Castle\n"
                              "Tile:\nName: gem\nWidth: 3\nHeight: 1\nImagery:\n1 2 3\nend\nend\n"
                              "Level:\nTreasure: gem\nLayout:\n#####\n#@$.#\n#####\nend\nend\n"
                              "Level:\nTreasure: nothing\nLayout:\n#####\n#@$.#\n#####\nend\nend\n"
                              "Level:\nTreasure: gem\nLayout:\n######\n#@-$.#\n######\nend\nend\n";

class Menus : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        open_map(test_map_contents());
        platform_attach_menu();
        for (const char* name : {"First", "Castle"}) {
            std::string text = PACK_TEXT;
            text.replace(text.find("Castle"), 6, name);
            append_pack(state, read_pack_bytes(text.data(), text.size()));
        }
    }
    Pack_info& pack(int k) { return *nth_pack(state.packs.get(), k); }
    uint32_t item(int id) { return offscreen().menu_states[id]; }
};

TEST_F(Menus, PackMenusGiveEveryLevelAnItemAndReadEachPacksProgress)
{
    uint32_t two = 2;
    offscreen().registry["solved:Castle"] = Registry_value{true, {2, 0, 0, 0}};
    build_level_menu(state, MENU_BEGINNER, 1, 3);
    build_pack_menus(state);
    const auto& items = offscreen().menu_items;
    for (int id : {10001, 10002, 10003, 10101, 10103, 10201, 10203})
        EXPECT_EQ(items.at(id), "picture") << id;
    // A treasure tile the pack lacks: a greyed text item, still selectable once open.
    EXPECT_EQ(items.at(10102), "???");
    EXPECT_EQ(items.at(10202), "???");
    EXPECT_EQ(offscreen().level_menu_titles, (std::vector<std::string>{"First", "Castle"}));
    EXPECT_EQ(pack(1).highest_level, 1);
    EXPECT_EQ(pack(2).highest_level, static_cast<int32_t>(two));
    // Pack pictures have the tile's own size; the shared header is put back.
    auto pictures = offscreen_calls_of(CALL_MENU);
    bool pack_picture_seen = false;
    for (const Platform_call* c : pictures)
        if (c->text == "picture" && c->a == 10101) pack_picture_seen = c->c == 3 && c->d == -1;
    EXPECT_TRUE(pack_picture_seen);
    EXPECT_EQ(state.draw.tile_dib.header.width, TILE_W);

    // Every level item starts greyed, until the first menu opens in play.
    for (int id : {10001, 10102, 10203})
        EXPECT_EQ(item(id), uint32_t{MENU_ITEM_GREYED});
    free_menu_bitmaps(state);
    int freed = 0;
    for (const Platform_call* c : offscreen_calls_of(CALL_MENU))
        freed += c->text == "free picture";
    EXPECT_EQ(freed, 50 + 3 + 3);
}

TEST_F(Menus, APopupThatCannotBeMadeStopsTheLaterPacks)
{
    offscreen().registry["solved:Castle"] = Registry_value{true, {3, 0, 0, 0}};
    offscreen().popups_before_failure = 1;
    build_pack_menus(state);
    EXPECT_EQ(offscreen().level_menu_titles, (std::vector<std::string>{"First"}));
    EXPECT_EQ(pack(2).highest_level, 1);
    offscreen().draw_available = false;
    offscreen().popups_before_failure = -1;
    build_level_menu(state, MENU_BEGINNER, 1, 3);
    EXPECT_EQ(offscreen().menu_items.count(10001), 0u);
}

TEST_F(Menus, ItemStatesFollowTheGame)
{
    build_pack_menus(state);
    update_menu_states(state);
    for (int id : {10001, 10050, 10101, MENU_NEXT_LEVEL, MENU_PREVIOUS_LEVEL, MENU_UNDO, MENU_RESTART})
        EXPECT_EQ(item(id), uint32_t{MENU_ITEM_GREYED}) << "title screen " << id;

    state.max_level = 8; // highest solved: 7
    state.start_level = 3;
    select_level_set(state, 0, 3);
    ASSERT_EQ(state.mode, MODE_PLAY);
    update_menu_states(state);
    for (int n = 1; n <= 50; ++n)
        EXPECT_EQ(item(10000 + n), n == 3 ? MENU_ITEM_CHECKED : n <= 8 ? MENU_ITEM_ENABLED : MENU_ITEM_GREYED) << n;
    EXPECT_EQ(item(MENU_NEXT_LEVEL), uint32_t{MENU_ITEM_ENABLED});
    EXPECT_EQ(item(MENU_PREVIOUS_LEVEL), uint32_t{MENU_ITEM_ENABLED});
    EXPECT_EQ(item(MENU_UNDO), uint32_t{MENU_ITEM_GREYED});
    EXPECT_EQ(item(MENU_RESTART), uint32_t{MENU_ITEM_ENABLED});

    run_menu_command(state, 10202); // pack 2, level 2, though the menu would have it greyed
    ASSERT_EQ(state.pack, &pack(2));
    ASSERT_EQ(state.pack->current_level->number, 2);
    pack(2).highest_level = 2;
    update_menu_states(state);
    EXPECT_EQ(item(10201), uint32_t{MENU_ITEM_ENABLED});
    EXPECT_EQ(item(10202), uint32_t{MENU_ITEM_CHECKED});
    EXPECT_EQ(item(10203), uint32_t{MENU_ITEM_GREYED});
    EXPECT_EQ(item(10003), uint32_t{MENU_ITEM_ENABLED});
    EXPECT_EQ(item(MENU_NEXT_LEVEL), uint32_t{MENU_ITEM_GREYED});
    EXPECT_EQ(item(MENU_PREVIOUS_LEVEL), uint32_t{MENU_ITEM_ENABLED});
}

TEST_F(Menus, CommandsActOnTheGame)
{
    run_menu_command(state, MENU_MAGNIFY_3);
    EXPECT_EQ(offscreen().client_width, 960);
    EXPECT_EQ(offscreen().client_height, 576);
    EXPECT_EQ(item(MENU_MAGNIFY_2), 0u);
    EXPECT_EQ(item(MENU_MAGNIFY_3), uint32_t{MENU_ITEM_CHECKED});
    EXPECT_EQ(offscreen().registry["magnify"].bytes, (std::vector<uint8_t>{3, 0, 0, 0}));

    run_menu_command(state, MENU_SPEECH);
    EXPECT_FALSE(state.sound.speech_on);
    EXPECT_EQ(item(MENU_SPEECH), 0u);
    run_menu_command(state, MENU_SPEECH);
    run_menu_command(state, MENU_MOTION_SOUNDS);
    EXPECT_TRUE(state.sound.speech_on);
    EXPECT_EQ(item(MENU_SPEECH), uint32_t{MENU_ITEM_CHECKED});
    EXPECT_FALSE(state.sound.motion_sounds_on);

    // Quick Help and About keep a screen's mode, but not play's.
    for (int id : {MENU_QUICK_HELP, MENU_ABOUT}) {
        state.mode = MODE_TITLE;
        run_menu_command(state, id);
        EXPECT_EQ(state.mode, MODE_TITLE);
        state.mode = MODE_PLAY;
        run_menu_command(state, id);
        EXPECT_EQ(state.mode, MODE_HELP);
    }
    // Undo and Restart look at the mode themselves; unknown ids do nothing.
    offscreen().calls.clear();
    for (int id : {MENU_UNDO, MENU_RESTART, 0, 105, 9999, 20000})
        run_menu_command(state, id);
    EXPECT_TRUE(offscreen().calls.empty());
    run_menu_command(state, MENU_EXIT);
    EXPECT_TRUE(offscreen().quit_posted);
}

} // namespace
