// The menu bar against the off-screen platform: level pictures, item states, commands and the pages they open.
#include <gmock/gmock.h>

#include <fstream>

#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "resources/resource_ids.h"
#include "shell/help_pages.h"
#include "shell/menus.h"
#include "tests/map_fixture.h"

// After the pack's name, three levels; the second names a treasure tile the pack lacks, the third takes two pushes.
namespace
{

using testing::_;
using testing::ElementsAre;
using testing::FieldsAre;

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
    // The menu changes of one kind in order: the item's id, then a picture's width and height.
    std::vector<std::tuple<int64_t, int64_t, int64_t>> changes(const std::string& what)
    {
        std::vector<std::tuple<int64_t, int64_t, int64_t>> out;
        for (const Platform_call* c : offscreen_calls_of(CALL_MENU))
            if (c->text == what) out.emplace_back(c->a, c->c, c->d);
        return out;
    }
    void set_pack_progress(int k, int highest) { pack(k).highest_level = highest; }
};

} // namespace

TEST_F(Menus, LevelItemsShowTheirTreasureTileAtItsOwnSize)
{
    build_level_menu(state, MENU_BEGINNER, 2, 3);
    build_pack_menus(state);
    using P = std::tuple<int64_t, int64_t, int64_t>;
    EXPECT_THAT(changes("picture"), ElementsAre(P{10002, 16, -12}, P{10003, 16, -12}, P{10101, 3, -1}, P{10103, 3, -1},
                                                P{10201, 3, -1}, P{10203, 3, -1}));
    // The shared header is put back after.
    EXPECT_EQ(std::make_tuple(state.draw.tile_dib.header.width, state.draw.tile_dib.header.height),
              std::make_tuple(int32_t{TILE_W}, int32_t{-TILE_H}));
}

// A tile gives its pixels to the item's picture only when it has some; even
// one pixel is a picture.
TEST_F(Menus, OnlyATileWithPixelsGivesThemToItsPicture)
{
    const char* const sizes[] = {"Width: 1\nHeight: 1\nImagery:\n7\nend", "Width: 0\nHeight: 1", "Width: 1\nHeight: 0"};
    for (const char* size : sizes) {
        const std::string text = std::string("Zandrek Pack\nName: Dots\n\nTile:\nName: dot\n") + size +
                                 "\nend\nLevel:\nTreasure: dot\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
        append_pack(state, read_pack_bytes(text.data(), text.size()));
    }
    build_pack_menus(state);
    std::vector<int64_t> given; // each picture call's b, for packs 3, 4 and 5
    for (const Platform_call* c : offscreen_calls_of(CALL_MENU))
        if (c->text == "picture" && c->a > 10300) given.push_back(c->b);
    EXPECT_THAT(given, ElementsAre(1, 0, 0));
}

TEST_F(Menus, ALevelWithoutItsTreasureTileShowsQuestionMarks)
{
    build_pack_menus(state);
    EXPECT_THAT(changes("text"), ElementsAre(FieldsAre(10102, _, _), FieldsAre(10202, _, _)));
    EXPECT_EQ(offscreen().menu_items.at(10202), "???");
}

TEST_F(Menus, PackProgressIsReadFromTheSettings)
{
    offscreen().registry["solved:Castle"] = Registry_value{true, {2, 0, 0, 0}};
    build_pack_menus(state);
    EXPECT_EQ(std::make_tuple(pack(1).highest_level, pack(2).highest_level), std::make_tuple(1, 2));
}

TEST_F(Menus, OnTheTitleScreenEveryLevelCommandIsGreyed)
{
    build_pack_menus(state);
    update_menu_states(state);
    for (int id : {10001, 10050, 10101, MENU_NEXT_LEVEL, MENU_PREVIOUS_LEVEL, MENU_UNDO, MENU_RESTART})
        EXPECT_EQ(item(id), uint32_t{MENU_ITEM_GREYED}) << id;
}

TEST_F(Menus, LevelItemsFollowProgressTheLevelPlayedChecked)
{
    const uint32_t E = MENU_ITEM_ENABLED, G = MENU_ITEM_GREYED, C = MENU_ITEM_CHECKED;
    build_pack_menus(state);
    // The highest built-in and pack 2 levels open, the level played and its pack (0: built in); next's, previous's.
    const std::tuple<int, int, int, int, uint32_t, uint32_t> rows[] = {
        {3, 1, 2, 0, E, E}, {3, 1, 3, 0, G, E}, {1, 3, 1, 0, G, G}, {1, 2, 2, 2, G, E}, {1, 3, 2, 2, E, E}};
    for (const auto& [highest_builtin, highest_in_pack, level, set, next, previous] : rows) {
        SCOPED_TRACE(testing::Message() << "level " << level << " of pack " << set);
        state.max_level = highest_builtin;
        set_pack_progress(2, highest_in_pack);
        select_level_set(state, set, level);
        update_menu_states(state);
        for (int n = 1; n <= 50; ++n)
            EXPECT_EQ(item(10000 + n), set == 0 && n == level ? C : n <= highest_builtin ? E : G) << n;
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(item(10200 + n), set == 2 && n == level ? C : n <= highest_in_pack ? E : G) << n;
        EXPECT_EQ(
            std::make_tuple(item(MENU_NEXT_LEVEL), item(MENU_PREVIOUS_LEVEL), item(MENU_UNDO), item(MENU_RESTART)),
            std::make_tuple(next, previous, G, E));
    }
}

TEST_F(Menus, PagesOpenInTheBrowserOrTheHelpViewer)
{
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
    enter_temp_folder();
    for (const auto& [id, url_result, answer, hint_book, expected] : pages) {
        offscreen_reset();
        offscreen().url_result = url_result;
        offscreen().box_answers.push_back(answer);
        if (hint_book) std::ofstream("HintBook.hlp") << "hints";
        run_menu_command(state, id);
        std::string handed;
        for (const Platform_call& p : offscreen().calls) {
            if (p.kind == CALL_OPEN_URL) handed += "url " + p.text + "; ";
            if (p.kind == CALL_HELP_FILE) handed += "help " + p.text + "; ";
            if (p.kind == CALL_BOX)
                handed +=
                    "box " + std::to_string(p.a) + " " + p.extra + ": " + p.text.substr(0, p.text.find('\n')) + "; ";
        }
        EXPECT_EQ(handed, expected) << id;
    }
}
