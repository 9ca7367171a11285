#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board_fixture.h"
#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "tools/authoring/tool_game.h"

namespace
{

const char MUST_SOLVE[] = "Sorry, you must solve this\nlevel before going on.\n";
const char AT_FIRST[] = "You're at the first level.\nNowhere to go but up.";
const char NOT_SOLVED_FIRST[] = "Sorry, you haven't solved\nthe first level yet.";

// Level k's layout has k floor cells before the treasure, so boards tell
// the levels apart; each is solved by walking right.
std::string level_text(int k)
{
    return "Level:\nName: L" + std::to_string(k) + "\nStart: hello\nLayout:\n #" + std::string(k + 3, '#') + "\n #@" +
           std::string(k, '-') + "$.#\n #" + std::string(k + 3, '#') + "\nend\nend\n";
}

std::string pack_text(const char* name, int levels)
{
    std::string text = std::string("Zandrek Pack\nName: ") + name + "\n";
    text += "Sound:\nName: hello\nSpeed: 8000\nSampleSize: 16\nNumSamples: 2\nData:\ni j\nend\nend\n";
    for (int k = 1; k <= levels; ++k)
        text += level_text(k);
    return text;
}

class Progression : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(open_tool_game(game), 0) << game.error;
        give_sounds(state());
    }
    Game_state& state() { return game.state; }
    Pack_info& add_pack(const char* name, int levels)
    {
        std::string text = pack_text(name, levels);
        return *append_pack(state(), read_pack_bytes(text.data(), text.size()));
    }
    void enter(Pack_info& pack, int n)
    {
        select_level_set(state(), pack.number, n);
        offscreen().calls.clear();
    }
    int level_number() const { return game.state.pack->current_level->number; }
    int board_number() const { return game.state.play_board.number; }
    void solve_current()
    {
        press(state(), CODE_RIGHT, level_number() + 1);
        ASSERT_TRUE(state().mode == MODE_SOLVED || state().mode == MODE_ALL_DONE);
    }
    // The box texts and the speech ids, in the order they came.
    std::vector<std::string> effects()
    {
        std::vector<std::string> out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX) out.push_back("box:" + c.text);
            if (c.kind == CALL_WAVE_WRITE && !c.bytes.empty()) out.push_back("speech:" + std::to_string(c.bytes[0]));
        }
        return out;
    }
    std::vector<std::string> registry_writes()
    {
        std::vector<std::string> out;
        for (const Platform_call* c : offscreen_calls_of(CALL_REG_SET))
            out.push_back(c->text);
        return out;
    }
    uint32_t mark(const char* pack_name)
    {
        auto it = offscreen().registry.find(std::string("solved:") + pack_name);
        if (it == offscreen().registry.end() || it->second.bytes.size() != 4) return 0;
        uint32_t v;
        std::memcpy(&v, it->second.bytes.data(), 4);
        return v;
    }

    Tool_game game;
};

TEST_F(Progression, PackLevelBecomesBoardOverTheBlankTemplate)
{
    Pack_info& pack = add_pack("Boards", 2);
    build_pack_board(state(), *pack_level(pack, 2));
    const Field_info& b = state().pristine_board;
    EXPECT_EQ(b.number, 2);
    EXPECT_EQ(b.rows, 16);
    EXPECT_EQ(b.columns, 20);
    EXPECT_EQ(b.treasures, 1);
    EXPECT_EQ(b.loose, 1);
    EXPECT_EQ(b.banked_at_start, 0);
    EXPECT_EQ(b.start_x, 2);
    EXPECT_EQ(b.start_y, 1);
    EXPECT_EQ(b.player_x, 2);
    EXPECT_EQ(b.player_y, 1);
    EXPECT_EQ(b.undo_player_after, -1);
    EXPECT_EQ(b.undo_treasure_from, -1);
    EXPECT_EQ(b.start_sound, NO_SOUND);
    EXPECT_EQ(b.spare_sound, NO_SOUND);
    EXPECT_EQ(std::vector<uint16_t>(b.kind_tiles, b.kind_tiles + 6), (std::vector<uint16_t>{5, 5, 1, 4, 15, 16}));
    const Field_cell& outside = b.cells[1 * 20 + 0]; // a space: the template's cell stays
    EXPECT_EQ(outside.tile, 0);
    EXPECT_EQ(outside.floor, KIND_WALL);
    const Field_cell& wall = b.cells[1 * 20 + 1];
    EXPECT_EQ(wall.tile, 2);
    EXPECT_EQ(wall.content, KIND_WALL);
    const Field_cell& player = b.cells[1 * 20 + 2];
    EXPECT_EQ(player.tile, 5);
    EXPECT_EQ(player.content, KIND_PLAYER);
    EXPECT_EQ(player.floor, KIND_FLOOR);
    const Field_cell& treasure = b.cells[1 * 20 + 5];
    EXPECT_EQ(treasure.tile, 15);
    EXPECT_EQ(treasure.content, KIND_TREASURE);
    const Field_cell& bank = b.cells[1 * 20 + 6];
    EXPECT_EQ(bank.tile, 4);
    EXPECT_EQ(bank.content, KIND_BANK);
    EXPECT_EQ(bank.floor, KIND_BANK);
}

TEST_F(Progression, BankedTreasureAndPlayerOnABank)
{
    std::string text = "Zandrek Pack\nLevel:\nLayout:\n#####\n#+*$#\n#####\nend\nend\n";
    Pack_info& pack = *append_pack(state(), read_pack_bytes(text.data(), text.size()));
    build_pack_board(state(), *pack.levels);
    const Field_info& b = state().pristine_board;
    EXPECT_EQ(b.treasures, 2);
    EXPECT_EQ(b.banked_at_start, 1);
    const Field_cell& player = b.cells[1 * 20 + 1];
    EXPECT_EQ(player.tile, 5);
    EXPECT_EQ(player.content, KIND_PLAYER);
    EXPECT_EQ(player.floor, KIND_BANK);
    const Field_cell& banked = b.cells[1 * 20 + 2];
    EXPECT_EQ(banked.tile, 16);
    EXPECT_EQ(banked.content, KIND_TREASURE);
    EXPECT_EQ(banked.floor, KIND_BANK);
}

TEST_F(Progression, EnteringALevelPlaysItsStartSoundAndStartsPlay)
{
    Pack_info& pack = add_pack("Sounds", 2);
    offscreen().calls.clear();
    select_level_set(state(), pack.number, 0);
    EXPECT_EQ(state().pack, &pack);
    EXPECT_EQ(level_number(), 1);
    EXPECT_EQ(state().mode, MODE_PLAY);
    EXPECT_EQ(state().board_shown, 1);
    auto writes = offscreen_calls_of(CALL_WAVE_WRITE);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0]->bytes, (std::vector<uint8_t>{1, 0, 0xFF, 0xFF})); // the samples 1 and -1
}

TEST_F(Progression, NextNeedsTheCurrentLevelSolved)
{
    Pack_info& pack = add_pack("Must Solve", 3);
    enter(pack, 1);
    next_level(state());
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:14", std::string("box:") + MUST_SOLVE}));
    EXPECT_EQ(level_number(), 1);

    solve_current();
    EXPECT_EQ(state().mode, MODE_SOLVED);
    EXPECT_EQ(pack.highest_level, 2);
    EXPECT_EQ(mark("Must Solve"), 2u);
    EXPECT_EQ(state().pristine_board.number, 2);
    EXPECT_EQ(board_number(), 1); // the solved board stays on show
    press(state(), CODE_OTHER_KEY);
    EXPECT_EQ(state().mode, MODE_PLAY);
    EXPECT_EQ(board_number(), 2);

    offscreen().calls.clear();
    next_level(state()); // level 2 is the highest allowed
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:14", std::string("box:") + MUST_SOLVE}));
    previous_level(state());
    EXPECT_EQ(level_number(), 1);
    next_level(state());
    EXPECT_EQ(level_number(), 2);
    EXPECT_EQ(board_number(), 2);
}

TEST_F(Progression, PreviousOnTheFirstLevelIsRefused)
{
    Pack_info& pack = add_pack("First", 2);
    enter(pack, 1);
    previous_level(state());
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:15", std::string("box:") + AT_FIRST}));
    EXPECT_EQ(level_number(), 1);
}

TEST_F(Progression, LastLevelOfAPack)
{
    Pack_info& pack = add_pack("Ending", 3);
    pack.highest_level = 3;
    enter(pack, 3);
    next_level(state());
    EXPECT_TRUE(effects().empty());
    EXPECT_EQ(level_number(), 3);

    solve_current();
    EXPECT_EQ(state().mode, MODE_ALL_DONE);
    EXPECT_TRUE(registry_writes().empty());

    // Solving an earlier level again writes the mark though it does not rise.
    enter(pack, 1);
    solve_current();
    EXPECT_EQ(registry_writes(), (std::vector<std::string>{"solved:Ending"}));
    EXPECT_EQ(mark("Ending"), 3u);
    EXPECT_EQ(pack.highest_level, 3);
}

TEST_F(Progression, DeveloperSkipsUnsolvedPackLevelsButNotBuiltInLevel50)
{
    Pack_info& pack = add_pack("Open", 3);
    make_player(state(), DEVELOPER_NAME);
    enter(pack, 1);
    next_level(state());
    next_level(state());
    EXPECT_EQ(level_number(), 3);
    EXPECT_TRUE(offscreen_calls_of(CALL_BOX).empty());

    state().pack = nullptr;
    state().play_board.number = BUILTIN_LEVELS;
    state().max_level = BUILTIN_LEVELS;
    offscreen().calls.clear();
    next_level(state());
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:14", std::string("box:") + MUST_SOLVE}));
    EXPECT_EQ(state().play_board.number, BUILTIN_LEVELS);
}

TEST_F(Progression, BuiltInPreviousAndNextUnderMaxLevel)
{
    state().pack = nullptr;
    state().play_board.number = 1;
    state().max_level = 1;
    previous_level(state());
    next_level(state());
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:15", std::string("box:") + AT_FIRST, "speech:14",
                                                   std::string("box:") + MUST_SOLVE}));
}

TEST_F(Progression, ChooseLevelNeedsTwoLevels)
{
    Pack_info& single = add_pack("Single", 1);
    Pack_info& triple = add_pack("Triple", 3);
    enter(single, 1);
    choose_level(state());
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:14", std::string("box:") + NOT_SOLVED_FIRST}));

    enter(triple, 2);
    choose_level(state()); // the chooser always declines
    EXPECT_TRUE(effects().empty());
    EXPECT_EQ(level_number(), 2);

    state().pack = nullptr;
    state().max_level = 1;
    offscreen().calls.clear();
    choose_level(state());
    EXPECT_EQ(effects(), (std::vector<std::string>{"speech:14", std::string("box:") + NOT_SOLVED_FIRST}));
}

TEST_F(Progression, SelectingLevelSets)
{
    Pack_info& first = add_pack("One", 2);
    Pack_info& second = add_pack("Two", 3);
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(second.number, 2);

    enter(second, 99); // past the end: the last level
    EXPECT_EQ(state().pack, &second);
    EXPECT_EQ(level_number(), 3);
    EXPECT_EQ(board_number(), 3);

    select_level_set(state(), 3, 1); // beyond the list
    EXPECT_EQ(state().pack, &second);
    EXPECT_EQ(level_number(), 3);
    EXPECT_TRUE(offscreen().calls.empty());

    enter(first, 0);
    EXPECT_EQ(level_number(), 1);
    goto_level(state(), 2);
    EXPECT_EQ(level_number(), 2);
    goto_level(state(), -4);
    EXPECT_EQ(level_number(), 1);

    state().start_level = 1;
    select_level_set(state(), 0, 0);
    EXPECT_EQ(state().pack, nullptr);
    EXPECT_EQ(board_number(), 1);
    EXPECT_EQ(state().mode, MODE_PLAY);
}

TEST_F(Progression, SolvedMarkCarriesTheHighestLevelPerPackName)
{
    Pack_info& pack = add_pack("Tracked", 4);
    enter(pack, 1);
    solve_current();
    press(state(), CODE_OTHER_KEY);
    solve_current();
    EXPECT_EQ(mark("Tracked"), 3u);
    EXPECT_EQ(pack.highest_level, 3);
    EXPECT_EQ(level_number(), 3);
}

} // namespace
