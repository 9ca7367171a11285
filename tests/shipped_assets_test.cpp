// What ships: the map description builds a map the game reads, and every
// picture, frame and sound the game names is in it; the description tool's
// mistakes name their file and line; the fifty built-in levels are all
// different and their stored solutions solve them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "engine/pack_records.h"
#include "files/map_file.h"
#include "map_fixture.h"
#include "presentation/sound.h"
#include "tools/authoring/generator.h"
#include "tools/authoring/map_description.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/tool_game.h"

namespace
{

const char SHIPPED[] = "assets/map/zandrek_map.txt";

using Shipped_assets = Map_test;

TEST_F(Shipped_assets, TheMapHoldsEveryTileFrameAndSoundTheGameNames)
{
    Map_contents m, again;
    std::string levels, error;
    ASSERT_EQ(read_map_description(SHIPPED, m, levels, error), 0) << error;
    ASSERT_EQ(read_map_description(SHIPPED, again, levels, error), 0);
    EXPECT_EQ(write_map_bytes(again), write_map_bytes(m)); // no timestamps, no stray bytes
    ASSERT_EQ(read_bytes(write_map_bytes(m)), 0);
    EXPECT_TRUE(box_texts().empty());

    const size_t images = state.imgs_length / static_cast<uint32_t>(state.map.image_size);
    auto has_image = [&](unsigned code) { return code < state.tile_table.size() && state.tile_table[code] < images; };
    const std::set<unsigned> pack_swapped = {1, 2, 4, 15, 16};
    // The player's images: tile 0 for a bad facing and seven slots.
    std::set<unsigned> player = {0};
    for (int slot : {14, 15, 17, 20, 21, 23, 24})
        player.insert(tile_info_slot(state.tile_info, slot));
    EXPECT_EQ(player.size(), 8u);

    auto is_sample = [&](uint8_t id) {
        return id < state.speech_items.size() && (state.speech_items[id].flags & 1) &&
               state.speech_items[id].sample < state.samples.size();
    };
    for (int n = -5; n <= 50; ++n) {
        Field_info b;
        if (n == 0) continue;
        ASSERT_EQ(read_map_board(state, b, n), 0);
        for (const Field_cell& cell : b.cells)
            ASSERT_TRUE(has_image(cell.tile)) << "board " << n << " tile " << cell.tile;
        for (uint16_t code : b.kind_tiles)
            EXPECT_TRUE(has_image(code)) << "board " << n;
        // Every board speaks when shown; the levels also when a treasure is banked and when solved.
        EXPECT_TRUE(is_sample(b.start_sound)) << "board " << n;
        for (uint8_t id : {b.banked_sound, b.solved_sound})
            EXPECT_TRUE(is_sample(id) || (n < 0 && id == NO_SOUND)) << "board " << n;
        if (n < 0) continue;
        EXPECT_GT(b.treasures, 0);
        EXPECT_EQ(b.cells[b.start_y * LEVEL_COLS + b.start_x].content, KIND_PLAYER) << n;
    }

    for (int byte :
         {SPEECH_STEP, SPEECH_PUSH, SPEECH_CORNER, SPEECH_UNDO, SPEECH_LEAVE_TITLE, SPEECH_REFUSED, SPEECH_FIRST_LEVEL})
        EXPECT_TRUE(is_sample(speech_info_id(state.speech_info, byte))) << "Speech_info byte " << byte;

    // One rate and width for all, so the device is never reopened.
    EXPECT_EQ(state.speech_info.num_samples, static_cast<int16_t>(state.samples.size()));
    for (Sample_info& s : state.samples) {
        ASSERT_EQ(load_sample(state, s), 0);
        EXPECT_GT(s.length, 0);
        EXPECT_EQ(std::make_pair(s.rate, s.bits), std::make_pair(state.samples[0].rate, state.samples[0].bits));
    }
    EXPECT_TRUE(state.samples[0].rate == 11025 || state.samples[0].rate == 22050) << state.samples[0].rate;

    // Sequence 0, at least four idle sequences and the walk; none of the player's images a code a pack swaps.
    ASSERT_GE(state.fidget.sequence_count, 6);
    ASSERT_LE(state.fidget.sequence_count, FIDGET_SEQUENCES);
    for (int s = 0; s < state.fidget.sequence_count; ++s)
        for (int f = 0; f < FIDGET_FRAMES && (f == 0 || state.fidget.sequences[s][f] != FIDGET_END); ++f)
            player.insert(state.fidget.sequences[s][f]);
    for (unsigned code : player)
        EXPECT_TRUE(has_image(code) && !pack_swapped.count(code)) << code;
}

std::vector<uint8_t> wav(uint16_t channels, uint32_t rate, uint16_t bits, std::vector<uint8_t> data)
{
    uint32_t per_second = rate * channels * bits / 8, size = static_cast<uint32_t>(data.size());
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                              'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    for (uint32_t v : {uint32_t(channels) | rate << 16, rate >> 16 | per_second << 16,
                       per_second >> 16 | uint32_t(channels * bits / 8) << 16, uint32_t(bits) | 'd' << 16 | 'a' << 24,
                       uint32_t('t' | 'a' << 8) | size << 16, size >> 16})
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    b.resize(b.size() - 2);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

TEST_F(Shipped_assets, DescriptionMistakesNameTheFileAndLine)
{
    std::string pack = path("short.zrp");
    std::ofstream(pack, std::ios::binary) << "Zandrek Pack\nLevel:\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    const std::pair<std::string, std::string> mistakes[] = {
        {"colour q 7\nfidget 1 2 x\n", ":3: tile codes are 0 to 4095"},
        {"board title\n####\nend\n", ":3: board rows are 20 characters"},
        {"levels nowhere.zrp\n", "nowhere.zrp: no such file"},
        {"sample odd missing.wav\n", "missing.wav: cannot open the file"},
        {"levels " + pack + "\n", "holds 1 levels, 50 are needed"},
    };
    for (const auto& [extra, message] : mistakes) {
        Map_contents m;
        std::string levels, error, p = path("description.txt");
        std::ofstream(p, std::ios::binary) << "include " << std::filesystem::absolute(SHIPPED).string() << "\n"
                                           << extra;
        EXPECT_EQ(read_map_description(p, m, levels, error), -1) << extra;
        EXPECT_EQ(message[0] == ':' ? error : error.substr(error.find(message)),
                  (message[0] == ':' ? p : "") + message);
    }

    // Samples come from mono WAV files, 8-bit ones turned signed.
    std::string p = path("sound.wav"), error;
    const std::tuple<std::vector<uint8_t>, std::vector<uint8_t>, std::string> wavs[] = {
        {wav(1, 8000, 8, {0x80, 0xFF, 0x00}), {0x00, 0x7F, 0x80}, ""},
        {wav(1, 22050, 16, {1, 2, 3, 4}), {1, 2, 3, 4}, ""},
        {wav(2, 8000, 8, {1, 2}), {}, ": samples must be mono"},
        {wav(1, 8000, 8, {1, 2, 3, 4, 5, 6}), {}, ": a chunk runs past the end of the file"},
    };
    for (auto [bytes, data, message] : wavs) {
        if (message[2] == 'a') bytes.resize(bytes.size() - 4);
        write_bytes(p, bytes);
        Map_sample s;
        error.clear();
        EXPECT_EQ(read_wav_sample(p, s, error), message.empty() ? 0 : -1);
        EXPECT_EQ(error, message.empty() ? "" : p + message);
        if (message.empty()) {
            EXPECT_EQ(std::make_pair(s.data, int(s.bits)), std::make_pair(data, data.size() == 3 ? 8 : 16));
        }
    }
}

TEST(Builtin_levels, AllDifferentAndSolvedByTheirStoredSolutionsWithTheLastMove)
{
    Tool_game game;
    ASSERT_EQ(open_tool_game(game), 0) << game.error;
    Pack_info* pack = load_tool_pack(game, "assets/levels/builtin.zrp");
    ASSERT_TRUE(pack) << game.error;
    ASSERT_EQ(pack->num_levels, BUILTIN_LEVELS);
    std::set<std::string> shapes;
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(std::string("level ") + std::to_string(level->number) + " " + level->name);
        ASSERT_TRUE(level->has_solution);
        Replay_outcome replay = replay_solution(game.state, *level, level->solution);
        EXPECT_TRUE(replay.solved) << replay.problem;
        EXPECT_EQ(replay.moves, static_cast<int>(level->solution.size()));
        std::vector<std::string> rows;
        for (const auto& row : level->layout)
            rows.emplace_back(row, LEVEL_COLS);
        EXPECT_TRUE(shapes.insert(canonical_shape(rows)).second) << "same as an earlier level up to symmetry";
    }
}

// The help page is installed beside the game and read offline: every link
// stays on the page and finds its anchor, and nothing is fetched from elsewhere.
TEST(Help_page, EveryLinkFindsItsAnchorOnThePageItself)
{
    std::ifstream file("resources/zandhelp.html");
    ASSERT_TRUE(file) << "run from the source folder";
    const std::string html((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto captures = [&html](const char* pattern) {
        std::vector<std::string> found;
        const std::regex re(pattern);
        for (auto it = std::sregex_iterator(html.begin(), html.end(), re); it != std::sregex_iterator(); ++it)
            found.push_back((*it)[1]);
        return found;
    };
    const std::vector<std::string> id_list = captures("\\bid=\"([^\"]+)\""), links = captures("\\bhref=\"([^\"]*)\"");
    const std::set<std::string> ids(id_list.begin(), id_list.end());
    EXPECT_EQ(ids.size(), id_list.size()) << "an id twice";
    EXPECT_GE(links.size(), 9u);
    for (const std::string& target : links)
        EXPECT_TRUE(target.size() > 1 && target[0] == '#' && ids.count(target.substr(1))) << target;
    EXPECT_TRUE(captures("(src=|<link)").empty());
    for (const char* section : {"keys", "mouse", "menus", "levels", "packs", "writing"})
        EXPECT_EQ(ids.count(section), 1u) << section;
}

} // namespace
