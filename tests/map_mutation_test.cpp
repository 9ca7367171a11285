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
    static const std::set<std::string> fixed = {"Bogus chunk type seen in Zandrek map file",
                                                "Bogus Map Header size in map file",
                                                "Bogus Tile_info size in map file",
                                                "Can't allocate space for tiles",
                                                "Bogus Fidget_info length in map file",
                                                "Bogus Speech_info size in map file",
                                                "Can't allocate Speech_item array",
                                                "Can't allocate Sample_info array",
                                                "Can't alloc working var in MD_load_samples",
                                                "Bogus sample count in map file",
                                                "Oh dear, missing some goodies from the map file, I quit"};
    for (const char* tail : {" smells bad, not an IFF FORM file", " smells bad, not a Zandrek map file",
                             " is cut short, not a whole Zandrek map file"})
        if (text == "File " + name + tail) return true;
    return fixed.count(text) > 0;
}

// One of the damages a file meets: flipped bytes, a 32-bit field (most often
// a chunk length) set to something wild, a cut, a duplicated or dropped
// stretch, or a damaged SAMP count or offset.
Bytes mutate(const Bytes& good, std::mt19937& rng)
{
    static const uint32_t wild[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF8, 65535, 1340};
    Bytes b = good;
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
    size_t at = pick(b.size()), n = pick(std::min<size_t>(64, b.size() - at));
    auto from = b.begin() + static_cast<long>(at);
    switch (rng() % 6) {
    case 0:
        for (int i = 0, flips = 1 + static_cast<int>(rng() % 8); i < flips; ++i)
            b[pick(b.size())] ^= static_cast<uint8_t>(1u << (rng() % 8));
        break;
    case 1:
        for (uint32_t i = 0, v = wild[rng() % 8]; i < 4 && at + 4 < b.size(); ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        break;
    case 2: b.resize(at); break;
    case 3: b.insert(from, good.begin() + static_cast<long>(at), good.begin() + static_cast<long>(at + n)); break;
    case 4: b.erase(from, from + static_cast<long>(n)); break;
    default:
        std::vector<Raw_chunk> chunks = split_chunks(b);
        for (Raw_chunk& c : chunks)
            if (c.id == "SAMP" && c.data.size() > 6) c.data[pick(std::min<size_t>(c.data.size(), 14))] = uint8_t(rng());
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
        // Refused: -1 after at least one message, the file closed.
        EXPECT_EQ(result == 0, state.map_file != nullptr) << "round " << round;
        EXPECT_TRUE(result == 0 || (result == -1 && !boxes.empty())) << "round " << round;
        accepted += result == 0;
        refused += result != 0;
        if (result == 0) {
            state.magnify = 1;
            offscreen().recording = false;
            exercise_presentation(state, TEST_LEVELS + 1);
            std::fclose(state.map_file);
            state.map_file = nullptr;
        }
    }
    // Both outcomes must really occur, or the mutations test nothing.
    EXPECT_GT(accepted, 50);
    EXPECT_GT(refused, 50);
}

} // namespace
