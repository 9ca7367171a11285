// The score file and its players: reading, saving without losing a byte,
// choosing a player by name, and keeping results only when they improve.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "engine/services.h"
#include "files/score_file.h"
#include "map_fixture.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const char UNWRITABLE[] = "Zandrek can't keep track of your score\nbecause he can't write to the file:\n";

Bytes header(uint8_t count)
{
    Bytes b = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n'};
    b.push_back(count);
    return b;
}

Bytes record(const char* name, int32_t level, uint16_t moves = 0, int32_t seconds = 0)
{
    Score_entry e{};
    e.next_slot = 0xDEADBEEF; // meaningless in the file
    std::strncpy(e.name, name, sizeof e.name - 1);
    e.level = level;
    e.carried[0] = 24;
    e.carried[1] = 6;
    e.moves = moves;
    e.pushes = 3;
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
        fs::create_directories(path("score_dir"));
        state.score_file_name = (fs::path(paths.back()) / "Zandrek.score").string();
        state.map.num_levels = 50;
    }
    Bytes on_disk() { return file_bytes(state.score_file_name); }
    int read(const Bytes& b)
    {
        write_bytes(state.score_file_name, b);
        return read_score_file(state);
    }
    std::vector<std::string> names()
    {
        std::vector<std::string> out;
        for (auto& p : state.players)
            out.push_back(p->name);
        return out;
    }
    // Chooses a player as the title screen does, the dialog answering `typed`.
    int choose(const std::string& typed, int answer = 0)
    {
        offscreen().dialog_answers.push_back({answer, typed});
        return choose_player(state);
    }
};

TEST_F(Score_file, ReadingKeepsWhatTheFileHoldsAndSavingWritesItBack)
{
    ASSERT_EQ(read_score_file(state), 0); // the first run writes an empty file
    EXPECT_EQ(on_disk(), header(0));
    EXPECT_EQ(state.score_header, "ZANDSCORE\n");

    Bytes file = header(2) + record("Anne", 7, 120, 300) + record("Bob", 3);
    ASSERT_EQ(read(file), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"Anne", "Bob"}));
    EXPECT_EQ(state.num_players, 2);
    EXPECT_EQ(state.players[0]->next_slot, 0u);
    EXPECT_EQ(state.players[0]->seconds, 300);
    save_score_file(state);
    std::memset(&file[11], 0, 4); // link slots are written as they are in memory
    std::memset(&file[51], 0, 4);
    EXPECT_EQ(on_disk(), file);
    EXPECT_FALSE(fs::exists(state.score_file_name + ".tmp"));

    // A file shorter than its count ends the list where it ends; a name that
    // fills its field is cut inside the record.
    Bytes long_name = record("", 1);
    std::memset(&long_name[4], 'q', 20);
    ASSERT_EQ(read(header(5) + long_name + record("Anne", 7) + Bytes(39, 'x')), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{std::string(19, 'q'), "Anne"}));
    EXPECT_EQ(state.num_players, 2);
    Bytes no_count = header(0);
    no_count.pop_back();
    ASSERT_EQ(read(no_count), 0);
    EXPECT_EQ(state.num_players, 0);
    EXPECT_EQ(state.current_player, nullptr);
    EXPECT_FALSE(fs::exists(state.score_file_name + ".bad"));

    // A wrong header is replaced by an empty file, the old one kept beside it.
    Bytes crlf = Bytes{'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\r', '\n', 1} + record("Anne", 7);
    ASSERT_EQ(read(crlf), 0);
    EXPECT_EQ(state.num_players, 0);
    EXPECT_EQ(on_disk(), header(0));
    EXPECT_EQ(file_bytes(state.score_file_name + ".bad"), crlf);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Score_file, AFileThatCannotBeWrittenWarnsTwicePerRunAndIsKept)
{
    ASSERT_EQ(read(header(1) + record("Anne", 7)), 0);
    fs::permissions(state.score_file_name, fs::perms::owner_read | fs::perms::group_read);
    Bytes before = on_disk();
    for (int i = 0; i < 3; ++i)
        save_score_file(state);
    std::string expected = UNWRITABLE + state.score_file_name;
    EXPECT_EQ(box_texts(), (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(offscreen_calls_of(CALL_BOX)[0]->a, BOX_WARN);
    EXPECT_EQ(on_disk(), before);
    EXPECT_FALSE(fs::exists(state.score_file_name + ".tmp"));
    fs::permissions(state.score_file_name, fs::perms::owner_all);

    offscreen_reset();
    state.score_warnings_shown = 0;
    state.score_file_name = (fs::path(paths.back()) / "missing" / "Zandrek.score").string();
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(box_texts(), std::vector<std::string>{UNWRITABLE + state.score_file_name});

    // Without a file name (the tools) players stay in memory only.
    offscreen_reset();
    state.score_file_name.clear();
    ASSERT_EQ(choose("Anne"), 0);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Score_file, PlayersAreFoundByFoldedNameAndNewOnesGoFirst)
{
    ASSERT_EQ(read(header(3) + record("Anne De Vries", 1) + record("anne de vries", 2) + record("\xe9mile", 3)), 0);
    Bytes before = on_disk();
    ASSERT_NE(find_player(state, "ANNE DE VRIES"), nullptr);
    EXPECT_EQ(find_player(state, "ANNE DE VRIES")->level, 1); // the first match
    EXPECT_EQ(find_player(state, "aNNE dE vRIESz"), nullptr);
    EXPECT_EQ(find_player(state, "Anne De Vrie"), nullptr);
    EXPECT_EQ(find_player(state, "\xc9MILE"), nullptr); // letters outside A to Z keep their case
    EXPECT_NE(find_player(state, "\xe9MILE"), nullptr);
    EXPECT_EQ(find_player(state, "{nne De Vries"), nullptr);

    ASSERT_EQ(add_player(state, "a name longer than fifteen"), 0);
    EXPECT_EQ(names().front(), "a name longer t");
    EXPECT_EQ(state.current_player, state.players[0].get());
    const Score_entry& p = *state.current_player;
    EXPECT_EQ(std::vector<int>({p.level, p.carried[0], p.carried[1], p.moves, p.seconds}),
              std::vector<int>({0, 24, 6, 0, 0}));
    EXPECT_EQ(state.num_players, 4);
    EXPECT_EQ(on_disk(), before); // adding does not save

    for (int i = 4; i < 255; ++i)
        add_player(state, ("p" + std::to_string(i)).c_str());
    EXPECT_TRUE(box_texts().empty());
    Score_entry* last = state.current_player;
    add_player(state, "one too many");
    EXPECT_EQ(state.num_players, 255);
    EXPECT_EQ(state.current_player, last);
    EXPECT_EQ(box_texts(), std::vector<std::string>{"Zandrek can't remember more than 255 players."});
    save_score_file(state);
    EXPECT_EQ(on_disk().size(), 11u + 255u * 40u);
    EXPECT_EQ(on_disk()[10], 255);
}

TEST_F(Score_file, ChoosingAPlayerCapitalisesSavesAndPreparesProgress)
{
    ASSERT_EQ(read_score_file(state), 0);
    // The first choice takes the stored name without asking.
    platform_reg_set_string("player_name", "bob", 4);
    offscreen().calls.clear();
    ASSERT_EQ(choose_player(state), 0);
    EXPECT_STREQ(state.current_player->name, "Bob");
    EXPECT_TRUE(offscreen_calls_of(CALL_DIALOG).empty());
    EXPECT_EQ(on_disk().size(), 51u); // chosen players are saved at once
    // Later choices ask, showing the current name; Cancel changes nothing.
    ASSERT_EQ(choose("Carol", -1), -1);
    EXPECT_STREQ(state.current_player->name, "Bob");
    EXPECT_EQ(offscreen_calls_of(CALL_DIALOG).at(0)->text, "bob");
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());

    struct Choice {
        const char* typed;
        int level_before;
        const char* name;
        int max_level, start_level;
    };
    const Choice choices[] = {
        {"anne  de vries", -1, "Anne  De Vries", 1, 1},
        {"ANNE  DE VRIES", 50, "Anne  De Vries", 50, 1},
        {"Anne  de vries", 12, "Anne  De Vries", 13, 13},
        {"Anne  de vries", 49, "Anne  De Vries", 50, 50},
    };
    for (const Choice& c : choices) {
        if (c.level_before >= 0) state.current_player->level = c.level_before;
        state.current_player->carried[0] = 31;
        ASSERT_EQ(choose(c.typed), 0);
        EXPECT_STREQ(state.current_player->name, c.name);
        EXPECT_EQ(state.max_level, c.max_level) << c.level_before;
        EXPECT_EQ(state.start_level, c.start_level) << c.level_before;
        EXPECT_EQ(state.carried[0], c.level_before < 0 ? 24 : 31);
        EXPECT_EQ(state.carried[1], 6);
    }
    EXPECT_EQ(state.num_players, 2);
    auto sets = offscreen_calls_of(CALL_REG_SET);
    ASSERT_EQ(sets.size(), 4u);
    EXPECT_EQ(sets[0]->extra, "anne  de vries");
    EXPECT_EQ(offscreen().registry["player_name"].bytes.size(), 16u); // all sixteen bytes are stored
}

TEST_F(Score_file, TheDeveloperIsRecognisedAfterCapitalisingAndACancelledFirstChoice)
{
    ASSERT_EQ(read_score_file(state), 0);
    ASSERT_EQ(choose("Dora", -1), 0); // a first choice cancelled plays on as the default, unstored
    EXPECT_STREQ(state.current_player->name, "Zandrek");
    EXPECT_EQ(offscreen_calls_of(CALL_DIALOG)[0]->text, "Zandrek");
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());
    EXPECT_FALSE(is_developer_player(state));

    ASSERT_EQ(choose("quillbarrow"), 0);
    EXPECT_TRUE(is_developer_player(state));
    EXPECT_EQ(state.current_player->level, 50);
    EXPECT_EQ(state.start_level, 1);
    EXPECT_EQ(state.max_level, 50);
    std::strcpy(state.current_player->name, "Quillbarrowx");
    EXPECT_FALSE(is_developer_player(state));
    state.current_player = nullptr;
    EXPECT_FALSE(is_developer_player(state));
}

TEST_F(Score_file, ResultsAreKeptOnlyWhenTheyImprove)
{
    ASSERT_EQ(read_score_file(state), 0);
    record_result(state, Field_info{}); // no player: nothing
    ASSERT_EQ(choose("Anne"), 0);
    state.current_player->level = 6;
    state.carried[0] = 31;
    state.carried[1] = 7;
    struct Result {
        int level;
        uint16_t moves;
        uint32_t seconds;
        int kept_level, kept_seconds, max_level;
    };
    const Result results[] = {
        {7, 200, 300, 7, 300, 8}, // a new level
        {7, 190, 280, 7, 280, 8}, // faster
        {7, 100, 280, 7, 280, 8}, // no faster
        {6, 100, 10, 7, 280, 8},  // an earlier level
        {8, 50, 0, 8, 0, 9},      // no time
        {8, 40, 5, 8, 5, 9},      // a time after none
        {50, 1, 5, 50, 5, 50},
    };
    for (const Result& r : results) {
        Field_info b{};
        b.number = static_cast<int16_t>(r.level);
        b.moves = r.moves;
        b.pushes = 4;
        b.start_time = 1000;
        b.solve_time = 1000 + r.seconds;
        record_result(state, b);
        const Score_entry& p = *state.current_player;
        EXPECT_EQ(p.level, r.kept_level) << r.level << " " << r.seconds;
        EXPECT_EQ(p.seconds, r.kept_seconds) << r.level << " " << r.seconds;
        EXPECT_EQ(state.max_level, r.max_level) << r.level << " " << r.seconds;
    }
    Score_entry saved;
    std::memcpy(&saved, &on_disk()[11], sizeof saved);
    EXPECT_EQ(
        std::vector<int>({saved.level, saved.moves, saved.pushes, saved.seconds, saved.carried[0], saved.carried[1]}),
        std::vector<int>({50, 1, 4, 5, 31, 7}));
}

} // namespace
