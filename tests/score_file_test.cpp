// The score file and its players: reading, saving without losing a byte, choosing, and keeping results.
#include <gmock/gmock.h>

#include <cstring>
#include <filesystem>

#include "engine/game_state.h"
#include "files/score_file.h"
#include "map_fixture.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;
using testing::ElementsAre;
using testing::FieldsAre;

const char UNWRITABLE[] = "Zandrek can't keep track of your score\nbecause he can't write to the file:\n";
// A link at `path` to the device every write to fails for want of room;
// false where there is no such device or no links.
bool link_to_a_full_disk(const std::string& path)
{
    std::error_code refused;
    if (!fs::exists("/dev/full", refused)) return false;
    fs::create_symlink("/dev/full", path, refused);
    return !refused;
}

const Bytes HEADER = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n'};

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes header(uint8_t count)
{
    return HEADER + Bytes{count};
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
    Names players()
    {
        Names out;
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
    void set_player_level(int level) { state.current_player->level = level; }
    void fill_to_the_last_player()
    {
        for (int i = state.num_players; i < SCORE_MAX_PLAYERS; ++i)
            ASSERT_EQ(add_player(state, ("p" + std::to_string(i)).c_str()), 0);
    }
    std::string file;
};

TEST_F(Score_file, AFirstRunWritesAnEmptyFile)
{
    ASSERT_EQ(read_score_file(state), 0);
    EXPECT_EQ(file_bytes(file), (Bytes{'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n', 0}));
}

TEST_F(Score_file, ReadingAgainCountsOnlyTheFilesPlayers)
{
    ASSERT_EQ(read(header(1) + record("Ann", 3)), 0);
    ASSERT_EQ(read(header(1) + record("Ann", 3)), 0);
    EXPECT_EQ(std::make_tuple(players(), state.num_players), std::make_tuple(Names{"Ann"}, 1));
}

// The players read are new records: none of them is chosen yet.
TEST_F(Score_file, ReadingAgainLeavesNoPlayerChosen)
{
    ASSERT_EQ(read(header(1) + record("Ann", 3)), 0);
    ASSERT_EQ(choose("Ann"), 0);
    ASSERT_EQ(read(header(1) + record("Ann", 3)), 0);
    EXPECT_EQ(state.current_player, nullptr);
}

TEST_F(Score_file, DamagedFilesKeepTheWholeRecordsTheyHold)
{
    Bytes long_name = record("", 1);
    std::memset(&long_name[4], 'q', 20);
    const std::tuple<const char*, Bytes, Names> rows[] = {
        {"count beyond the records", header(5) + record("Anne", 7, 120, 300) + record("Bob", 2), {"Anne", "Bob"}},
        {"cut inside a record", header(3) + record("Anne", 7) + Bytes(39, 'x'), {"Anne"}},
        {"records beyond the count", header(1) + record("Anne", 7) + record("Bob", 2), {"Anne"}},
        {"no count byte", HEADER, {}},
        {"a name filling its field", header(1) + long_name, {std::string(19, 'q')}},
    };
    for (const auto& [name, bytes, expected] : rows) {
        SCOPED_TRACE(name);
        ASSERT_EQ(read(bytes), 0);
        EXPECT_EQ(players(), expected);
        EXPECT_FALSE(fs::exists(file + ".bad"));
    }
}

TEST_F(Score_file, AWrongHeaderIsReplacedTheOldFileKeptBeside)
{
    const Bytes bad_headers[] = {Bytes{'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\r', '\n', 1},
                                 Bytes{'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E'}, Bytes{}, Bytes(11, 'z')};
    for (const Bytes& bad : bad_headers) {
        SCOPED_TRACE(std::string(bad.begin(), bad.end()));
        ASSERT_EQ(read(bad + record("Anne", 7)), 0);
        EXPECT_THAT(players(), ElementsAre());
        EXPECT_EQ(file_bytes(file), header(0));
        EXPECT_EQ(file_bytes(file + ".bad"), bad + record("Anne", 7));
    }
}

TEST(Score_bytes, AWrongHeaderAnswersMinusOne)
{
    const uint8_t bytes[] = {'Z', 'A', 'N', 'D'};
    std::vector<Score_entry> entries;
    EXPECT_EQ(parse_score_bytes(bytes, sizeof bytes, entries), -1);
}

TEST_F(Score_file, PlayersAreFoundIgnoringTheCaseOfAToZOnly)
{
    ASSERT_EQ(read(header(5) + record("Anne De Vries", 1) + record("anne de vries", 2) + record("\xe9mile", 3) +
                   record("Liza", 4) + record("Zed", 5)),
              0);
    const std::pair<const char*, const char*> rows[] = {
        {"ANNE DE VRIES", "Anne De Vries"}, // the first match wins
        {"LIZA", "Liza"},                   // the last letter, either way round
        {"zed", "Zed"},
        {"aNNE dE vRIESz", nullptr},
        {"\xc9MILE", nullptr}, // letters outside A to Z keep their case
        {"{nne De Vries", nullptr},
    };
    for (const auto& [typed, found] : rows) {
        const Score_entry* p = find_player(state, typed);
        EXPECT_EQ(p ? std::string(p->name) : "none", found ? found : "none") << typed;
    }
}

TEST_F(Score_file, ANewPlayerGoesFirstUnsaved)
{
    ASSERT_EQ(read(header(1) + record("Anne", 1)), 0);
    ASSERT_EQ(add_player(state, "a name longer than fifteen"), 0);
    EXPECT_THAT(players(), ElementsAre("a name longer t", "Anne"));
    const Score_entry& p = *state.current_player;
    EXPECT_EQ(std::make_tuple(p.level, p.carried[0], p.carried[1], p.moves, p.seconds),
              std::make_tuple(0, 24, 6, 0, 0));
    EXPECT_EQ(file_bytes(file), header(1) + record("Anne", 1));
}

TEST_F(Score_file, ANewNameRefusedKeepsThePlayerPlayingOn)
{
    ASSERT_EQ(read_score_file(state), 0);
    fill_to_the_last_player();
    ASSERT_EQ(choose("p7"), 0);
    const Bytes before = file_bytes(file);
    offscreen().calls.clear();
    ASSERT_EQ(choose("Newcomer"), -1);
    EXPECT_THAT(box_texts(), ElementsAre("Zandrek can't remember more than 255 players."));
    EXPECT_EQ(std::make_tuple(std::string(state.current_player->name), std::string(state.player_name_buffer)),
              std::make_tuple("P7", "P7"));
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());
    EXPECT_EQ(file_bytes(file), before);
}

TEST_F(Score_file, AnUnwritableFileIsKeptWithTwoWarningsARun)
{
    ASSERT_EQ(read(header(1) + record("Anne", 7)), 0);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    for (int i = 0; i < 3; ++i)
        save_score_file(state);
    EXPECT_EQ(box_texts(), Names(2, UNWRITABLE + file));
    fs::permissions(file, fs::perms::owner_all);
    EXPECT_EQ(file_bytes(file), header(1) + record("Anne", 7));
}

// The new file is written beside the old one first; here its flush finds
// the disk full, which only closing the file can tell.
TEST_F(Score_file, ASaveTheDiskCannotHoldLeavesTheOldFile)
{
    ASSERT_EQ(read(header(1) + record("Anne", 7)), 0);
    if (!link_to_a_full_disk(file + ".tmp")) GTEST_SKIP() << "no full disk to link to here";
    save_score_file(state);
    EXPECT_EQ(box_texts(), Names{UNWRITABLE + file});
    ASSERT_EQ(fs::symlink_status(file).type(), fs::file_type::regular); // reading the device would never end
    EXPECT_EQ(file_bytes(file), header(1) + record("Anne", 7));
}

// A folder where the temporary file would go: it cannot be made, on any system.
TEST_F(Score_file, ASaveWithNoTemporaryFileLeavesTheOldFile)
{
    ASSERT_EQ(read(header(1) + record("Anne", 7)), 0);
    fs::create_directory(file + ".tmp");
    save_score_file(state);
    fs::remove(file + ".tmp");
    EXPECT_EQ(box_texts(), Names{UNWRITABLE + file});
    EXPECT_EQ(file_bytes(file), header(1) + record("Anne", 7));
}

TEST_F(Score_file, ASaveThatFailsLeavesNoTemporaryFile)
{
    ASSERT_EQ(read(header(1) + record("Anne", 7)), 0);
    if (!link_to_a_full_disk(file + ".tmp")) GTEST_SKIP() << "no full disk to link to here";
    save_score_file(state);
    EXPECT_FALSE(fs::exists(fs::symlink_status(file + ".tmp")));
}

TEST_F(Score_file, AChosenPlayerIsCapitalisedWithProgressPrepared)
{
    ASSERT_EQ(read_score_file(state), 0);
    struct Row {
        const char* typed;
        int level_before; // -1: a new player
        const char* stored;
        int max_level, start_level, first_carried;
        bool developer;
    };
    const Row rows[] = {
        {"anne  de vries", -1, "Anne  De Vries", 1, 1, 24, false},
        {"ANNE  DE VRIES", 50, "Anne  De Vries", 50, 1, 31, false},
        {"Anne  de vries", 12, "Anne  De Vries", 13, 13, 31, false},
        {"Anne  de vries", 49, "Anne  De Vries", 50, 50, 31, false},
        {"quillbarrow", -1, "Quillbarrow", 50, 1, 24, true},
        {"QUILLBARROW", 0, "Quillbarrow", 50, 1, 31, true}, // the record found is the developer's
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed);
        if (r.level_before >= 0) set_player_level(r.level_before);
        if (state.current_player) state.current_player->carried[0] = 31;
        ASSERT_EQ(choose(r.typed), 0);
        EXPECT_STREQ(state.current_player->name, r.stored);
        EXPECT_EQ(std::make_tuple(state.max_level, state.start_level, state.carried[0], state.carried[1],
                                  is_developer_player(state)),
                  std::make_tuple(r.max_level, r.start_level, r.first_carried, 6, r.developer));
    }
    EXPECT_EQ(offscreen().registry["player_name"].bytes.size(), 16u); // all sixteen bytes are stored
}

TEST_F(Score_file, ResultsAreKeptWhenTheyAreBetter)
{
    ASSERT_EQ(read_score_file(state), 0);
    record_result(state, Field_info{}); // no player: nothing, and no crash
    ASSERT_EQ(choose("Anne"), 0);
    set_player_level(6);
    struct Row {
        const char* name;
        int level, moves, seconds;
        int kept_level, kept_seconds, max_level, kept_moves;
    };
    const Row rows[] = {
        {"a new level", 7, 200, 300, 7, 300, 8, 200}, {"faster", 7, 190, 280, 7, 280, 8, 190},
        {"no faster", 7, 100, 280, 7, 280, 8, 190},   {"an earlier level", 6, 100, 10, 7, 280, 8, 190},
        {"no time", 8, 50, 0, 8, 0, 9, 50},           {"a time after none", 8, 40, 5, 8, 5, 9, 40},
        {"the last level", 50, 1, 5, 50, 5, 50, 1},
    };
    Field_info b{};
    b.pushes = 4;
    b.start_time = 1000;
    for (const Row& r : rows) {
        b.number = static_cast<int16_t>(r.level);
        b.moves = static_cast<uint16_t>(r.moves);
        b.solve_time = 1000u + r.seconds;
        record_result(state, b);
        const Score_entry& p = *state.current_player;
        EXPECT_EQ(std::make_tuple(p.level, p.seconds, state.max_level, p.moves),
                  std::make_tuple(r.kept_level, r.kept_seconds, r.max_level, r.kept_moves))
            << r.name;
    }
}

TEST_F(Score_file, ANameTypedLongIsCutToFourteenCharacters)
{
    ASSERT_EQ(read(header(0)), 0);
    ASSERT_EQ(choose("abcdefghijklmnopqrst"), 0);
    EXPECT_STREQ(state.current_player->name, "Abcdefghijklmn");
}

TEST_F(Score_file, AChosenNewPlayerIsSavedAtOnce)
{
    ASSERT_EQ(read(header(0)), 0);
    ASSERT_EQ(choose("anne"), 0);
    const Bytes saved = file_bytes(file);
    const size_t name_at = header(1).size() + 4; // after the link slot
    EXPECT_THAT(std::make_tuple(saved.size(), std::string(saved.begin() + name_at, saved.begin() + name_at + 5)),
                FieldsAre(header(1).size() + sizeof(Score_entry), std::string("Anne\0", 5)));
}

TEST_F(Score_file, ABetterResultIsSavedAtOnce)
{
    ASSERT_EQ(read(header(1) + record("Anne", 6, 90, 100)), 0);
    ASSERT_EQ(choose("Anne"), 0);
    record_result(state, solved_board(7, 80, 24, 50));
    Bytes saved = record("Anne", 7, 80, 50);
    saved[34] = 24;                   // the pushes
    std::fill_n(saved.begin(), 4, 0); // the link slot, written as 0
    EXPECT_EQ(file_bytes(file), header(1) + saved);
}

// The first ask takes the name the settings keep; only a typed name is written back.
TEST_F(Score_file, ANameTakenFromTheSettingsIsNotWrittenBack)
{
    ASSERT_EQ(read(header(0)), 0);
    platform_reg_set_string("player_name", "Anne", 5);
    offscreen().calls.clear();
    ASSERT_EQ(ask_player_name(state), 0);
    EXPECT_TRUE(offscreen_calls_of(CALL_REG_SET).empty());
}

} // namespace
