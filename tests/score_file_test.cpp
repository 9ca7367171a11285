// The score file and its players: reading, saving without losing a byte, choosing, and keeping results.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "engine/game_state.h"
#include "files/score_file.h"
#include "map_fixture.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

const char UNWRITABLE[] = "Zandrek can't keep track of your score\nbecause he can't write to the file:\n";

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes header(uint8_t count)
{
    return Bytes(SCORE_HEADER, SCORE_HEADER + 10) + Bytes{count};
}

Bytes record(const char* name, int32_t level, uint16_t moves = 0, int32_t seconds = 0)
{
    Score_entry e{0xDEADBEEF, {}, level, {24, 6}, moves, 3, seconds}; // the link slot means nothing in the file
    std::strncpy(e.name, name, sizeof e.name - 1);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&e);
    return Bytes(p, p + sizeof e);
}

class Score_file : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        fs::create_directories(path("score_dir"));
        file = state.score_file_name = (fs::path(paths.back()) / "Zandrek.score").string();
        state.map.num_levels = 50;
    }
    int read(const Bytes& b)
    {
        write_bytes(file, b);
        return read_score_file(state);
    }
    // The count, then every player's name.
    std::string players()
    {
        std::string out = std::to_string(state.num_players);
        for (auto& p : state.players)
            out += std::string(" ") + p->name;
        return out;
    }
    // Chooses a player as the title screen does, the dialog answering `typed`.
    int choose(const std::string& typed, int answer = 0)
    {
        offscreen().dialog_answers.push_back({answer, typed});
        return choose_player(state);
    }
    std::string file;
};

TEST_F(Score_file, ReadingKeepsWhatTheFileHoldsSavingWritesItBackOrWarnsAndNewPlayersGoFirst)
{
    ASSERT_EQ(read_score_file(state), 0); // the first run writes an empty file
    EXPECT_EQ(file_bytes(file), header(0));
    Bytes bytes = header(2) + record("Anne", 7, 120, 300) + record("Bob", 3);
    ASSERT_EQ(read(bytes), 0);
    EXPECT_EQ(players(), "2 Anne Bob");
    EXPECT_EQ(std::make_pair(state.players[0]->next_slot, state.players[0]->seconds), std::make_pair(0u, 300));
    save_score_file(state);
    std::memset(&bytes[11], 0, 4); // link slots are written as they are in memory
    std::memset(&bytes[51], 0, 4);
    EXPECT_EQ(file_bytes(file), bytes);
    // A file shorter than its count ends the list where it ends; a name filling its field is cut inside it.
    Bytes long_name = record("", 1);
    std::memset(&long_name[4], 'q', 20);
    ASSERT_EQ(read(header(5) + long_name + record("Anne", 7) + Bytes(39, 'x')), 0);
    EXPECT_EQ(players(), "2 " + std::string(19, 'q') + " Anne");
    state.current_player = state.players[0].get();              // reading forgets the player chosen
    ASSERT_EQ(read(Bytes(SCORE_HEADER, SCORE_HEADER + 10)), 0); // no count byte
    EXPECT_EQ(players(), "0");
    EXPECT_EQ(state.current_player, nullptr);
    // A wrong header is replaced by an empty file, the old one kept beside it.
    Bytes crlf = Bytes{'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\r', '\n', 1} + record("Anne", 7);
    ASSERT_EQ(read(crlf), 0);
    EXPECT_EQ(players(), "0");
    EXPECT_EQ(file_bytes(file), header(0));
    EXPECT_EQ(file_bytes(file + ".bad"), crlf);

    // Players are found by folded name; new ones go first.
    ASSERT_EQ(read(header(3) + record("Anne De Vries", 1) + record("anne de vries", 2) + record("\xe9mile", 3)), 0);
    Bytes before = file_bytes(file);
    std::string found; // the first match wins; letters outside A to Z keep their case
    for (const char* name :
         {"ANNE DE VRIES", "\xe9MILE", "aNNE dE vRIESz", "Anne De Vrie", "\xc9MILE", "{nne De Vries"})
        found += std::string(find_player(state, name) ? find_player(state, name)->name : "-") + ";";
    EXPECT_EQ(found, "Anne De Vries;\xe9mile;-;-;-;-;");
    ASSERT_EQ(add_player(state, "a name longer than fifteen"), 0);
    EXPECT_EQ(players(), "4 a name longer t Anne De Vries anne de vries \xe9mile");
    const Score_entry& p = *state.current_player;
    EXPECT_EQ(std::vector<int>({p.level, p.carried[0], p.carried[1], p.moves, p.seconds}),
              std::vector<int>({0, 24, 6, 0, 0}));
    EXPECT_EQ(file_bytes(file), before); // adding does not save
    for (int i = 4; i < 255; ++i)
        add_player(state, ("p" + std::to_string(i)).c_str());
    Score_entry* last = state.current_player;
    EXPECT_EQ(add_player(state, "one too many"), -1);
    EXPECT_TRUE(state.num_players == 255 && state.current_player == last);
    EXPECT_EQ(box_texts(), Names{"Zandrek can't remember more than 255 players."});
    save_score_file(state);
    EXPECT_EQ(file_bytes(file).size(), 11u + 255u * 40u);
    EXPECT_EQ(file_bytes(file)[10], 255);

    // A file that cannot be written warns twice a run and is kept.
    offscreen_reset();
    ASSERT_EQ(read(header(1) + record("Anne", 7)), 0);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    before = file_bytes(file);
    for (int i = 0; i < 3; ++i)
        save_score_file(state);
    EXPECT_EQ(box_texts(), Names(2, UNWRITABLE + file));
    EXPECT_EQ(offscreen_calls_of(CALL_BOX)[0]->a, BOX_WARN);
    EXPECT_EQ(file_bytes(file), before);
    fs::permissions(file, fs::perms::owner_all);
    // A file in a missing folder cannot be made; one that cannot be replaced leaves no temporary file behind.
    const std::string missing = (fs::path(paths.back()) / "missing" / "Zandrek.score").string();
    for (auto [name, reading] : {std::pair{missing, true}, {paths.back(), false}}) {
        offscreen_reset();
        state.score_warnings_shown = 0;
        state.score_file_name = name;
        reading ? (void)read_score_file(state) : save_score_file(state);
        EXPECT_EQ(box_texts(), Names{UNWRITABLE + name});
        EXPECT_FALSE(fs::exists(name + ".tmp"));
    }
    offscreen_reset(); // without a file name (the tools) players stay in memory only
    state.score_file_name.clear();
    ASSERT_EQ(choose("Anne"), 0);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Score_file, ChoosingAPlayerCapitalisesSavesPreparesProgressAndKeepsBetterResults)
{
    ASSERT_EQ(read_score_file(state), 0);
    // The first choice takes the stored name without asking.
    platform_reg_set_string("player_name", "bob", 4);
    offscreen().calls.clear();
    ASSERT_EQ(choose_player(state), 0);
    EXPECT_EQ(file_bytes(file).size(), 51u); // chosen players are saved at once
    // Later choices ask; Cancel changes nothing.
    ASSERT_EQ(choose("Carol", -1), -1);
    EXPECT_STREQ(state.current_player->name, "Bob");
    // typed, level before (-1: new), capitalised, max and start level
    const std::tuple<const char*, int, const char*, int, int> choices[] = {
        {"anne  de vries", -1, "Anne  De Vries", 1, 1},   {"ANNE  DE VRIES", 50, "Anne  De Vries", 50, 1},
        {"Anne  de vries", 12, "Anne  De Vries", 13, 13}, {"Anne  de vries", 49, "Anne  De Vries", 50, 50},
        {"zoe van zee", -1, "Zoe Van Zee", 1, 1},         {"quillbarrow", -1, "Quillbarrow", 50, 1}, // the developer
    };
    for (auto [typed, before, name, max_level, start_level] : choices) {
        if (before >= 0) state.current_player->level = before;
        state.current_player->carried[0] = 31;
        ASSERT_EQ(choose(typed), 0);
        EXPECT_STREQ(state.current_player->name, name);
        EXPECT_EQ(std::vector<int>({state.max_level, state.start_level, state.carried[0], state.carried[1],
                                    is_developer_player(state)}),
                  std::vector<int>({max_level, start_level, before < 0 ? 24 : 31, 6, name[0] == 'Q'}))
            << before;
    }
    EXPECT_EQ(state.num_players, 4);
    EXPECT_EQ(offscreen_calls_of(CALL_REG_SET).size(), 6u);
    EXPECT_EQ(offscreen_calls_of(CALL_REG_SET).at(0)->extra, "anne  de vries");
    EXPECT_EQ(offscreen().registry["player_name"].bytes.size(), 16u); // all sixteen bytes are stored

    offscreen_reset(), state.name_asked = false; // a new run
    ASSERT_EQ(read_score_file(state), 0);
    record_result(state, Field_info{}); // no player: nothing
    EXPECT_FALSE(is_developer_player(state));
    ASSERT_EQ(choose("Dora", -1), 0); // a first choice cancelled plays on as the default, unstored
    EXPECT_EQ(state.current_player->name + offscreen_calls_of(CALL_DIALOG)[0]->text, "ZandrekZandrek");
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty() && !is_developer_player(state));
    ASSERT_EQ(choose("Anne"), 0);
    state.current_player->level = 6, state.carried[0] = 31, state.carried[1] = 7;
    // level, moves, seconds; then the level, seconds, max level and moves kept
    const int results[][7] = {
        {7, 200, 300, 7, 300, 8, 200}, // a new level
        {7, 190, 280, 7, 280, 8, 190}, // faster
        {7, 100, 280, 7, 280, 8, 190}, // no faster
        {6, 100, 10, 7, 280, 8, 190},  // an earlier level
        {8, 50, 0, 8, 0, 9, 50},       // no time
        {8, 40, 5, 8, 5, 9, 40},       // a time after none
        {50, 1, 5, 50, 5, 50, 1},
    };
    Field_info b{};
    b.pushes = 4, b.start_time = 1000;
    for (const int* r : results) {
        b.number = static_cast<int16_t>(r[0]), b.moves = static_cast<uint16_t>(r[1]), b.solve_time = 1000u + r[2];
        record_result(state, b);
        const Score_entry& p = *state.current_player;
        EXPECT_EQ(std::vector<int>({p.level, p.seconds, state.max_level, p.moves}), std::vector<int>(r + 3, r + 7))
            << r[0];
    }
    Score_entry saved;
    std::memcpy(&saved, &file_bytes(file)[11], sizeof saved);
    EXPECT_EQ(
        std::vector<int>({saved.level, saved.moves, saved.pushes, saved.seconds, saved.carried[0], saved.carried[1]}),
        std::vector<int>({50, 1, 4, 5, 31, 7}));
}

TEST_F(Score_file, ANewNameBeyondTheLastPlayerIsRefusedAndNothingIsRecordedUnderIt)
{
    Bytes full = header(255);
    for (int i = 0; i < 255; ++i)
        full = full + record(("P" + std::to_string(i)).c_str(), 3);
    ASSERT_EQ(read(full), 0);
    ASSERT_EQ(choose("p7"), 0);
    const Bytes before = file_bytes(file);
    offscreen().calls.clear();
    ASSERT_EQ(choose("Newcomer"), -1);
    EXPECT_EQ(box_texts(), Names{"Zandrek can't remember more than 255 players."});
    // The player playing on is the one the settings and the next dialog name.
    EXPECT_EQ(std::string(state.current_player->name) + " " + state.player_name_buffer + " " +
                  reinterpret_cast<const char*>(offscreen().registry["player_name"].bytes.data()),
              "P7 P7 p7");
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());
    EXPECT_EQ(file_bytes(file), before);
    // Refused on the first choice of a run: no player yet, and the next choice asks.
    state.name_asked = false;
    state.current_player = nullptr;
    platform_reg_set_string("player_name", "Stranger", 9);
    offscreen().dialog_answers.clear();
    EXPECT_EQ(choose_player(state), -1);
    EXPECT_EQ(state.current_player, nullptr);
    ASSERT_EQ(choose("p9"), 0);
    EXPECT_STREQ(state.current_player->name, "P9");
}

} // namespace
