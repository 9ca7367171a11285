#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "engine/services.h"
#include "files/score_file.h"
#include "map_fixture.h"
#include "shell/platform_offscreen.h"
#include "shell/player_name.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const char UNWRITABLE[] = "Zandrek can't keep track of your score\nbecause he can't write to the file:\n";

Bytes header_and_count(uint8_t count)
{
    Bytes b = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n'};
    b.push_back(count);
    return b;
}

Bytes record_bytes(const char* name, int32_t level, uint16_t moves = 0, uint16_t pushes = 0, int32_t seconds = 0)
{
    Score_entry e{};
    e.next_slot = 0xDEADBEEF; // meaningless in the file
    std::strncpy(e.name, name, sizeof e.name - 1);
    e.level = level;
    e.carried[0] = 24;
    e.carried[1] = 6;
    e.moves = moves;
    e.pushes = pushes;
    e.seconds = seconds;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&e);
    return Bytes(p, p + sizeof e);
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Score_file : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        dir = path("score_dir");
        fs::create_directories(dir);
        state.score_file_name = (fs::path(dir) / "Zandrek.score").string();
        state.map.num_levels = 50;
    }
    void TearDown() override
    {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir, ec))
            fs::permissions(entry.path(), fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
        Map_test::TearDown();
    }
    Bytes on_disk() { return file_bytes(state.score_file_name); }
    void put_on_disk(const Bytes& b) { write_bytes(state.score_file_name, b); }
    void set_read_only() { fs::permissions(state.score_file_name, fs::perms::owner_read | fs::perms::group_read); }
    std::vector<std::string> names()
    {
        std::vector<std::string> out;
        for (auto& p : state.players)
            out.push_back(p->name);
        return out;
    }
    // Chooses a player as the title screen does, with the dialog answering `typed`.
    int choose(const std::string& typed, int answer = 0)
    {
        offscreen().dialog_answers.push_back({answer, typed});
        return choose_player(state);
    }
    Field_info solved(int n, uint16_t moves, uint16_t pushes, uint32_t seconds)
    {
        Field_info b{};
        b.number = static_cast<int16_t>(n);
        b.moves = moves;
        b.pushes = pushes;
        b.start_time = 1000;
        b.solve_time = 1000 + seconds;
        return b;
    }
    std::string dir;
};

TEST_F(Score_file, FirstRunWritesAnElevenByteFile)
{
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(on_disk(), header_and_count(0));
    EXPECT_EQ(state.score_header, "ZANDSCORE\n");
    EXPECT_EQ(state.num_players, 0);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_FALSE(fs::exists(state.score_file_name + ".tmp"));
}

TEST_F(Score_file, RecordsReadInFileOrderAndRoundTrip)
{
    Bytes file = header_and_count(2) + record_bytes("Anne", 7, 120, 30, 300) + record_bytes("Bob", 3);
    put_on_disk(file);
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"Anne", "Bob"}));
    EXPECT_EQ(state.players[0]->next_slot, 0u);
    EXPECT_EQ(state.players[0]->seconds, 300);
    EXPECT_EQ(state.num_players, 2);
    save_score_file(state);
    Bytes expected = file;
    std::memset(&expected[11], 0, 4); // link slots are written as they are in memory
    std::memset(&expected[51], 0, 4);
    EXPECT_EQ(on_disk(), expected);
}

TEST_F(Score_file, AWrongHeaderIsReplacedButKeptAsBad)
{
    Bytes crlf = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\r', '\n', 1};
    Bytes file = crlf + record_bytes("Anne", 7);
    put_on_disk(file);
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(state.num_players, 0);
    EXPECT_EQ(on_disk(), header_and_count(0));
    EXPECT_EQ(file_bytes(state.score_file_name + ".bad"), file);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Score_file, ShortFilesStopAtTheirEnd)
{
    put_on_disk(header_and_count(5) + record_bytes("Anne", 7) + Bytes(25, 'x'));
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(names(), std::vector<std::string>{"Anne"});
    EXPECT_EQ(state.num_players, 1);

    Bytes no_count = header_and_count(0);
    no_count.pop_back();
    put_on_disk(no_count);
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(state.num_players, 0);
}

TEST_F(Score_file, UnterminatedNamesAreCutInsideTheRecord)
{
    Bytes rec = record_bytes("", 1);
    std::memset(&rec[4], 'q', 20);
    put_on_disk(header_and_count(1) + rec);
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(std::string(state.players[0]->name), std::string(19, 'q'));
}

TEST_F(Score_file, WriteProtectedFileWarnsTwicePerRunAndIsKept)
{
    put_on_disk(header_and_count(1) + record_bytes("Anne", 7));
    ASSERT_EQ(read_score_file(state), 0);
    set_read_only();
    Bytes before = on_disk();
    for (int i = 0; i < 3; ++i)
        save_score_file(state);
    std::string expected = UNWRITABLE + state.score_file_name;
    EXPECT_EQ(box_texts(), (std::vector<std::string>{expected, expected}));
    auto boxes = offscreen_calls_of(CALL_BOX);
    EXPECT_EQ(boxes[0]->a, BOX_WARN);
    EXPECT_EQ(on_disk(), before);
    EXPECT_FALSE(fs::exists(state.score_file_name + ".tmp"));
}

TEST_F(Score_file, UnwritableDirectoryWarnsOnCreate)
{
    state.score_file_name = (fs::path(dir) / "missing" / "Zandrek.score").string();
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(box_texts(), std::vector<std::string>{UNWRITABLE + state.score_file_name});
}

TEST_F(Score_file, FindPlayerFoldsOnlyTheLettersAToZ)
{
    put_on_disk(header_and_count(3) + record_bytes("Anne De Vries", 1) + record_bytes("anne de vries", 2) +
                record_bytes("\xe9mile", 3));
    ASSERT_EQ(read_score_file(state), 0);
    ASSERT_NE(find_player(state, "ANNE DE VRIES"), nullptr);
    EXPECT_EQ(find_player(state, "ANNE DE VRIES")->level, 1); // the first match
    EXPECT_EQ(find_player(state, "Anne De Vrie"), nullptr);
    EXPECT_EQ(find_player(state, "\xc9MILE"), nullptr); // letters outside A to Z keep their case
    EXPECT_NE(find_player(state, "\xe9MILE"), nullptr);
}

TEST_F(Score_file, NewPlayersGoFirstAndAreNotSavedByAdding)
{
    put_on_disk(header_and_count(1) + record_bytes("Bob", 3));
    ASSERT_EQ(read_score_file(state), 0);
    Bytes before = on_disk();
    ASSERT_EQ(add_player(state, "a name longer than fifteen"), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"a name longer t", "Bob"}));
    EXPECT_EQ(state.current_player, state.players[0].get());
    EXPECT_EQ(state.current_player->carried[0], 24);
    EXPECT_EQ(state.current_player->carried[1], 6);
    EXPECT_EQ(state.current_player->level, 0);
    EXPECT_EQ(on_disk(), before);
    save_score_file(state);
    Bytes after = on_disk();
    ASSERT_EQ(after.size(), 11u + 80u);
    EXPECT_EQ(after[10], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&after[15])), "a name longer t");
}

TEST_F(Score_file, ChoosingCapitalisesFindsAndPreparesProgress)
{
    ASSERT_EQ(read_score_file(state), 0);
    ASSERT_EQ(choose("anne  de vries"), 0);
    EXPECT_STREQ(state.current_player->name, "Anne  De Vries");
    EXPECT_EQ(state.max_level, 1);
    EXPECT_EQ(state.start_level, 1);
    EXPECT_EQ(state.carried[0], 24);
    EXPECT_EQ(state.carried[1], 6);
    EXPECT_EQ(on_disk().size(), 51u); // chosen players are saved at once

    state.current_player->level = 50;
    ASSERT_EQ(choose("ANNE  DE VRIES"), 0);
    EXPECT_EQ(state.num_players, 1);
    EXPECT_STREQ(state.current_player->name, "Anne  De Vries");
    EXPECT_EQ(state.max_level, 50);
    EXPECT_EQ(state.start_level, 1);

    state.current_player->level = 12;
    ASSERT_EQ(choose("Anne  de vries"), 0);
    EXPECT_EQ(state.max_level, 13);
    EXPECT_EQ(state.start_level, 13);
}

TEST_F(Score_file, DeveloperIsRecognisedAfterCapitalising)
{
    ASSERT_EQ(read_score_file(state), 0);
    state.map.num_levels = 50;
    ASSERT_EQ(choose("quillbarrow"), 0);
    EXPECT_TRUE(is_developer_player(state));
    EXPECT_EQ(state.current_player->level, 50);
    EXPECT_EQ(state.start_level, 1);
    EXPECT_EQ(state.max_level, 50);

    ASSERT_EQ(choose("QUILLBARROW"), 0); // finds the same record by folded name
    EXPECT_TRUE(is_developer_player(state));
    EXPECT_EQ(state.num_players, 1);

    state.players.clear();
    state.num_players = 0;
    state.current_player = nullptr;
    ASSERT_EQ(choose("QUILLBARROW"), 0);
    EXPECT_FALSE(is_developer_player(state));
    EXPECT_EQ(state.current_player->level, 0);
}

TEST_F(Score_file, StoredNameIsUsedWithoutAskingOnTheFirstChoice)
{
    ASSERT_EQ(read_score_file(state), 0);
    platform_reg_set_string("player_name", "bob", 4);
    offscreen().calls.clear();
    ASSERT_EQ(choose_player(state), 0);
    EXPECT_STREQ(state.current_player->name, "Bob");
    EXPECT_TRUE(offscreen_calls_of(CALL_DIALOG).empty());
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());

    // Later choices ask, showing the current name; Cancel changes nothing.
    ASSERT_EQ(choose("Carol", -1), -1);
    EXPECT_STREQ(state.current_player->name, "Bob");
    auto dialogs = offscreen_calls_of(CALL_DIALOG);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0]->text, "bob");
    ASSERT_EQ(choose("Carol"), 0);
    EXPECT_STREQ(state.current_player->name, "Carol");
    auto sets = offscreen_calls_of(CALL_REG_SET);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0]->extra, "Carol");
    EXPECT_EQ(offscreen().registry["player_name"].bytes.size(), 16u); // all sixteen bytes are stored
}

TEST_F(Score_file, FirstChoiceCancelledPlaysOnAsTheDefaultUnstored)
{
    ASSERT_EQ(read_score_file(state), 0);
    ASSERT_EQ(choose("Dora", -1), 0);
    EXPECT_STREQ(state.current_player->name, "Zandrek");
    EXPECT_EQ(offscreen_calls_of(CALL_DIALOG)[0]->text, "Zandrek");
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());
    ASSERT_EQ(choose(""), 0); // an empty name is a player of its own
    EXPECT_STREQ(state.current_player->name, "");
    EXPECT_EQ(state.num_players, 2);
}

TEST_F(Score_file, ResultsAreKeptOnlyWhenTheyImprove)
{
    ASSERT_EQ(read_score_file(state), 0);
    ASSERT_EQ(choose("Anne"), 0);
    state.current_player->level = 6;
    state.carried[0] = 31;
    record_result(state, solved(7, 200, 40, 300));
    EXPECT_EQ(state.current_player->level, 7);
    EXPECT_EQ(state.current_player->seconds, 300);
    EXPECT_EQ(state.current_player->moves, 200);
    EXPECT_EQ(state.current_player->pushes, 40);
    EXPECT_EQ(state.current_player->carried[0], 31);
    EXPECT_EQ(state.max_level, 8);
    record_result(state, solved(7, 190, 38, 280));
    EXPECT_EQ(state.current_player->seconds, 280);
    EXPECT_EQ(state.current_player->moves, 190);
    record_result(state, solved(7, 100, 20, 290));
    EXPECT_EQ(state.current_player->seconds, 280);
    record_result(state, solved(6, 100, 20, 10));
    EXPECT_EQ(state.current_player->level, 7);
    EXPECT_EQ(state.current_player->seconds, 280);

    Bytes disk = on_disk();
    Score_entry saved;
    std::memcpy(&saved, &disk[11], sizeof saved);
    EXPECT_EQ(saved.level, 7);
    EXPECT_EQ(saved.seconds, 280);

    state.current_player->level = 50;
    record_result(state, solved(50, 1, 1, 5));
    EXPECT_EQ(state.max_level, 50);
}

TEST_F(Score_file, NoMoreThan255Players)
{
    ASSERT_EQ(read_score_file(state), 0);
    for (int i = 0; i < 255; ++i)
        add_player(state, ("p" + std::to_string(i)).c_str());
    EXPECT_TRUE(box_texts().empty());
    Score_entry* before = state.current_player;
    add_player(state, "one too many");
    EXPECT_EQ(state.num_players, 255);
    EXPECT_EQ(state.current_player, before);
    EXPECT_EQ(box_texts().size(), 1u);
    save_score_file(state);
    EXPECT_EQ(on_disk().size(), 11u + 255u * 40u);
}

TEST_F(Score_file, WithoutAFileNamePlayersStayInMemory)
{
    state.score_file_name.clear();
    ASSERT_EQ(choose("Anne"), 0);
    record_result(state, solved(1, 10, 2, 30));
    EXPECT_EQ(state.current_player->level, 1);
    EXPECT_TRUE(box_texts().empty());
}

} // namespace
