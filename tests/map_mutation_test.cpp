// Damaged map files, made by deterministic random mutation of a good one:
// the reader accepts or refuses each with the game's own messages, and what
// it accepts is drawn, shown and sounded in full; nothing is read or written
// out of bounds (the sanitizer builds watch that).
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "fuzz/file_exercises.h"
#include "fuzz/presentation_exercises.h"
#include "map_fixture.h"

namespace
{

using Bytes = std::vector<uint8_t>;

bool is_game_message(const std::string& text, const std::string& name)
{
    static const std::set<std::string> fixed = {
        "Bogus chunk type seen in Zandrek map file",
        "Bogus Map Header size in map file",
        "Bogus Tile_info size in map file",
        "Can't allocate space for tiles",
        "Bogus Fidget_info length in map file",
        "Bogus Speech_info size in map file",
        "Can't allocate Speech_item array",
        "Can't allocate Sample_info array",
        "Can't alloc working var in MD_load_samples",
        "Bogus sample count in map file",
        "Oh dear, missing some goodies from the map file, I quit",
    };
    return fixed.count(text) || text == "File " + name + " smells bad, not an IFF FORM file" ||
           text == "File " + name + " smells bad, not a Zandrek map file" ||
           text == "File " + name + " is cut short, not a whole Zandrek map file";
}

// One of the damages a file meets: flipped bytes, a length or count field
// set to something wild, a cut, a duplicated or dropped stretch.
Bytes mutate(const Bytes& good, std::mt19937& rng)
{
    Bytes b = good;
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
    int kind = static_cast<int>(rng() % 6);
    if (kind == 0) {
        for (int i = 0, n = 1 + static_cast<int>(rng() % 8); i < n && !b.empty(); ++i)
            b[pick(b.size())] ^= static_cast<uint8_t>(1u << (rng() % 8));
    } else if (kind == 1 && b.size() > 8) {
        // A 32-bit field somewhere, most often a chunk length.
        static const uint32_t wild[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF8, 65535, 1340};
        size_t at = pick(b.size() - 4);
        uint32_t v = wild[rng() % 8];
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    } else if (kind == 2) {
        b.resize(pick(b.size()));
    } else if (kind == 3 && !b.empty()) {
        size_t at = pick(b.size()), n = pick(std::min<size_t>(64, b.size() - at));
        b.insert(b.begin() + static_cast<long>(at), good.begin() + static_cast<long>(at),
                 good.begin() + static_cast<long>(at + n));
    } else if (kind == 4 && !b.empty()) {
        size_t at = pick(b.size()), n = pick(std::min<size_t>(64, b.size() - at));
        b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
    } else if (b.size() > 16) {
        // The SAMP index: the count and offsets are the easiest to get wrong.
        std::vector<Raw_chunk> chunks = split_chunks(b);
        for (Raw_chunk& c : chunks)
            if (c.id == "SAMP" && c.data.size() > 6)
                c.data[pick(c.data.size() < 14 ? c.data.size() : 14)] = static_cast<uint8_t>(rng());
        b = form_bytes(chunks);
    }
    return b;
}

class Map_mutation : public Map_test
{
};

TEST_F(Map_mutation, DamagedMapsAreRefusedWithTheGamesMessagesOrUsedWithinBounds)
{
    Bytes good = write_map_bytes(test_map_contents());
    std::mt19937 rng(6);
    std::string file = path("mutated");
    int accepted = 0, refused = 0;
    for (int round = 0; round < 200; ++round) {
        Bytes bytes = mutate(good, rng);
        if (round % 3 == 0) bytes = mutate(bytes, rng);
        offscreen_reset(1);
        ASSERT_TRUE(write_input(file, bytes.data(), bytes.size()));
        Game_state state;
        int result = exercise_map(state, file);
        std::vector<std::string> boxes = box_texts();
        for (const std::string& text : boxes)
            EXPECT_TRUE(is_game_message(text, file)) << text;
        if (result == 0) {
            ++accepted;
            ASSERT_NE(state.map_file, nullptr);
            state.magnify = 1;
            offscreen().recording = false;
            exercise_presentation(state, TEST_LEVELS + 1);
        } else {
            ++refused;
            EXPECT_EQ(result, -1);
            EXPECT_FALSE(boxes.empty()) << "round " << round;
            EXPECT_EQ(state.map_file, nullptr);
        }
        if (state.map_file) std::fclose(state.map_file);
        state.map_file = nullptr;
    }
    // Both outcomes must really occur, or the mutations test nothing.
    EXPECT_GT(accepted, 50);
    EXPECT_GT(refused, 50);
}

} // namespace
