// The map file: what the writer puts in, the reader takes out, and how it meets a file that is not right.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "files/map_file.h"
#include "map_fixture.h"
#include "presentation/palette.h"

namespace
{

using Bytes = std::vector<uint8_t>;
using testing::ElementsAre;

struct Raw_chunk {
    std::string id;
    Bytes data;
};
using Chunks = std::vector<Raw_chunk>;

void put_u32(Bytes& b, size_t at, uint32_t v)
{
    std::memcpy(&b[at], &v, 4); // the map's integers are little-endian, as this machine's are
}

// A FORM header, its form length as given, followed by the chunks.
Bytes form_bytes(const Chunks& chunks, int64_t form_length = -1)
{
    Bytes out = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'S', 'O', 'K', 'O'};
    for (const Raw_chunk& c : chunks) {
        out.insert(out.end(), c.id.begin(), c.id.end());
        out.resize(out.size() + 4);
        put_u32(out, out.size() - 4, static_cast<uint32_t>(c.data.size()));
        out.insert(out.end(), c.data.begin(), c.data.end());
    }
    put_u32(out, 4, static_cast<uint32_t>(form_length < 0 ? out.size() - 8 : form_length));
    return out;
}

Chunks split_chunks(const Bytes& bytes)
{
    Chunks chunks;
    for (size_t pos = 12; pos + 8 <= bytes.size();) {
        uint32_t length;
        std::memcpy(&length, &bytes[pos + 4], 4);
        const auto data = bytes.begin() + static_cast<long>(pos) + 8;
        chunks.push_back(Raw_chunk{std::string(data - 8, data - 4), Bytes(data, data + length)});
        pos += 8 + length;
    }
    return chunks;
}

const char MISSING[] = "Oh dear, missing some goodies from the map file, I quit";
const char BAD_COUNT[] = "Bogus sample count in map file";
const char BOGUS[] = "Bogus chunk type seen in Zandrek map file";

Raw_chunk& chunk(Chunks& chunks, const std::string& id)
{
    return *std::find_if(chunks.begin(), chunks.end(), [&](const Raw_chunk& c) { return c.id == id; });
}

// A SAMP chunk of `size` bytes: big-endian count, then the offsets.
Bytes sample_index(std::vector<uint32_t> offsets, size_t size)
{
    Bytes b = {static_cast<uint8_t>(offsets.size() >> 8), static_cast<uint8_t>(offsets.size())};
    b.resize(std::max(size, 2 + 4 * offsets.size()));
    for (size_t i = 0; i < offsets.size(); ++i)
        put_u32(b, 2 + 4 * i, offsets[i]);
    b.resize(size);
    return b;
}

class Map_file : public Map_test
{
  protected:
    Map_contents contents = test_map_contents();
    Chunks chunks = split_chunks(write_map_bytes(contents));
    int read_chunks(int64_t form_length = -1) { return read_bytes(form_bytes(chunks, form_length)); }
    Chunks with(const char* id, const Bytes& data)
    {
        Chunks c = chunks;
        chunk(c, id).data = data;
        return c;
    }
};

TEST_F(Map_file, TheFileStartsWithTheFormHeader)
{
    const Bytes bytes = write_map_bytes(contents);
    const uint32_t length = static_cast<uint32_t>(bytes.size() - 8);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12),
              (Bytes{'F', 'O', 'R', 'M', uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16),
                     uint8_t(length >> 24), 'S', 'O', 'K', 'O'}));
}

// Boards and images each take the header's size for them, cut or padded with
// zeros; a size below zero gives them none.
TEST_F(Map_file, EachRecordTakesItsSizeFromTheHeader)
{
    const auto length_of = [](const Bytes& bytes, const char* id) {
        const auto at = std::search(bytes.begin(), bytes.end(), id, id + 4) + 4;
        return static_cast<size_t>(at[0] | at[1] << 8 | at[2] << 16 | at[3] << 24);
    };
    const int32_t big = static_cast<int32_t>(sizeof(Field_info)) + 4;
    for (const auto& [size, each] : {std::pair{-5, 0}, {0, 0}, {16, 16}, {big, big}}) {
        SCOPED_TRACE(size);
        contents.map.record_size = contents.map.image_size = size;
        const Bytes bytes = write_map_bytes(contents);
        EXPECT_EQ(std::make_tuple(length_of(bytes, "FLDS"), length_of(bytes, "IMGS")),
                  std::make_tuple(contents.boards.size() * each, contents.images.size() * each));
    }
}

// The reader fills in the positions and pointer slots; the file holds zeros
// there, whatever the contents held, so the same map gives the same bytes.
TEST_F(Map_file, TheHeadersUnusedFieldsAreWrittenAsZeros)
{
    contents.map.flds_pos = contents.map.imgs_pos = 0x11111111;
    contents.map.cpyr_slot = contents.map.prog_slot = contents.map.arts_slot = 0x22222222;
    contents.map.name_slot = contents.map.file_slot = 0x33333333;
    const Bytes bytes = write_map_bytes(contents);
    const auto maph = std::search(bytes.begin(), bytes.end(), std::begin("MAPH"), std::end("MAPH") - 1) + 8;
    EXPECT_THAT(std::make_tuple(Bytes(maph + 44, maph + 48), Bytes(maph + 56, maph + 80)),
                testing::FieldsAre(Bytes(4, 0), Bytes(24, 0)));
}

// A game of the map at `map` used by `use` and ended: whether the map can be
// removed then, and how many more files the process holds than before. A
// file left open cannot be removed on Windows; elsewhere the process's list
// of open files tells.
std::tuple<bool, long> ended_game_leaves(const std::string& map, const std::function<void(Game_state&)>& use)
{
    const long before = open_descriptors();
    {
        Game_state game;
        game.map_file_name = map;
        use(game);
    }
    std::error_code refused;
    return {std::filesystem::remove(map, refused), open_descriptors() - before};
}

TEST_F(Map_file, AGameThatEndsClosesTheFilesItHolds)
{
    const std::string map = path("map"), log = path("log");
    write_bytes(map, write_map_bytes(contents));
    const auto left = ended_game_leaves(map, [&](Game_state& game) {
        File_diagnostics diagnostics;
        ASSERT_EQ(read_map_file(game, diagnostics), 0);
        ASSERT_EQ(open_move_log(game, log.c_str()), 0);
    });
    std::error_code refused;
    EXPECT_THAT(std::make_tuple(left, std::filesystem::remove(log, refused)),
                testing::FieldsAre(testing::FieldsAre(true, 0), true));
}

TEST_F(Map_file, AMoveLogOpenedAgainLeavesNoFileOfTheFirstOpen)
{
    const std::string map = path("map"), first = path("log"), second = path("log");
    write_bytes(map, write_map_bytes(contents));
    EXPECT_THAT(ended_game_leaves(map,
                                  [&](Game_state& game) {
                                      ASSERT_EQ(open_move_log(game, first.c_str()), 0);
                                      ASSERT_EQ(open_move_log(game, second.c_str()), 0);
                                  }),
                testing::FieldsAre(true, 0));
}

TEST_F(Map_file, AMapReadAgainLeavesNoFileOfTheFirstReadOpen)
{
    const std::string map = path("map");
    write_bytes(map, write_map_bytes(contents));
    EXPECT_THAT(ended_game_leaves(map,
                                  [](Game_state& game) {
                                      File_diagnostics diagnostics;
                                      ASSERT_EQ(read_map_file(game, diagnostics), 0);
                                      ASSERT_EQ(read_map_file(game, diagnostics), 0);
                                  }),
                testing::FieldsAre(true, 0));
}

TEST_F(Map_file, AWrittenMapReadsBackRegionForRegion)
{
    ASSERT_EQ(read_chunks(), 0);
    const Map_contents& m = contents;
    EXPECT_THAT(box_texts(), ElementsAre());
    EXPECT_EQ(std::make_tuple(state.map.num_levels, state.map.record_size, state.map.image_size, state.colour_count),
              std::make_tuple(m.map.num_levels, m.map.record_size, m.map.image_size, 128));
    EXPECT_EQ(std::memcmp(&state.tile_info, &m.tile_info, sizeof m.tile_info), 0);
    EXPECT_EQ(std::memcmp(&state.fidget, &m.fidget, sizeof m.fidget), 0);
    EXPECT_EQ(std::memcmp(&state.speech_info, &m.speech_info, sizeof m.speech_info), 0);
    EXPECT_EQ(state.tile_table, m.tile_table);
    ASSERT_EQ(state.speech_items.size(), m.speech_items.size());
    EXPECT_EQ(std::memcmp(state.speech_items.data(), m.speech_items.data(), 2 * m.speech_items.size()), 0);
    EXPECT_EQ(std::make_tuple(state.cpyr_text, state.prog_text, state.arts_text),
              std::make_tuple(m.cpyr, m.prog, m.arts));
    EXPECT_EQ(state.colour_map, GAME_COLOUR_MAP);
}

TEST_F(Map_file, AnImageIsReadAtItsIndexCutToTheBuffer)
{
    ASSERT_EQ(read_chunks(), 0);
    Bytes image(TILE_W * TILE_H + 4, 0xEE);
    ASSERT_EQ(read_map_image(state, image.data(), image.size(), TEST_TILES - 1), 0);
    EXPECT_EQ(Bytes(image.end() - 5, image.end()), Bytes({image_pixel(TEST_TILES - 1, 15, 11), 0, 0, 0, 0}));
    EXPECT_EQ(read_map_image(state, image.data(), image.size(), TEST_TILES), -1);
    ASSERT_EQ(read_map_image(state, image.data(), 5, 1), 0);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 6), Bytes({7, 10, 13, 16, 19, 0}));
}

// One case per kind of damage the reader must refuse, each with its one message.
TEST_F(Map_file, DamagedFilesAreRefusedWithTheirMessage)
{
    const std::string smell = "File %s smells bad, not ", cut = "File %s is cut short, not a whole Zandrek map file";
    const Bytes good = form_bytes(chunks);
    const uint32_t last_start = static_cast<uint32_t>(good.size() - 8 - chunks.back().data.size());
    Chunks no_tile = chunks;
    no_tile.erase(std::find_if(no_tile.begin(), no_tile.end(), [](const Raw_chunk& c) { return c.id == "TILE"; }));
    const std::tuple<const char*, Bytes, std::string> rows[] = {
        {"not a FORM", Bytes{'F', 'O', 'R', 'm'}, smell + "an IFF FORM file"},
        {"not SOKO", Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 0, 'S', 'O', 'K', 'X'}, smell + "a Zandrek map file"},
        {"sample count beyond its chunk", form_bytes(with("SAMP", sample_index({2, 3}, 9))), BAD_COUNT},
        {"SAMP without its count", form_bytes(with("SAMP", {0})), BAD_COUNT},
        {"form length 12", form_bytes(chunks, 12), MISSING},
        {"last chunk outside the form", form_bytes(chunks, last_start), MISSING},
        {"a chunk missing", form_bytes(no_tile), MISSING},
        {"cut by one byte", Bytes(good.begin(), good.end() - 1), cut},
        {"MAPH of 81 bytes", form_bytes(with("MAPH", Bytes(81))), "Bogus Map Header size in map file"},
        {"TINF of 55 bytes", form_bytes(with("TINF", Bytes(55))), "Bogus Tile_info size in map file"},
        {"FIDG of 617 bytes", form_bytes(with("FIDG", Bytes(617))), "Bogus Fidget_info length in map file"},
        {"SINF of 19 bytes", form_bytes(with("SINF", Bytes(19))), "Bogus Speech_info size in map file"},
    };
    const long before = open_descriptors();
    for (const auto& [name, bytes, message] : rows) {
        SCOPED_TRACE(name);
        offscreen_reset();
        EXPECT_EQ(read_bytes(bytes), -1);
        std::string shown = message;
        if (shown.find("%s") != std::string::npos) shown.replace(shown.find("%s"), 2, state.map_file_name);
        EXPECT_THAT(box_texts(), ElementsAre(shown));
        std::error_code refused; // the refused file is closed
        EXPECT_THAT(std::make_tuple(std::filesystem::remove(state.map_file_name, refused), open_descriptors()),
                    testing::FieldsAre(true, before));
    }
}

// Read on its own, the index reader answers as every reader does.
TEST_F(Map_file, ASampleIndexLongerThanItsChunkAnswersMinusOne)
{
    const std::string index = path("index");
    write_bytes(index, {0, 3}); // three offsets promised, none there
    state.map_file = std::fopen(index.c_str(), "rb");
    File_diagnostics diagnostics;
    EXPECT_EQ(MD_load_samples(state, 2, diagnostics), -1);
}

TEST_F(Map_file, AMapThatCannotBeOpenedIsNamed)
{
    state.map_file_name = path("no such map");
    File_diagnostics diagnostics;
    EXPECT_EQ(read_map_file(state, diagnostics), -1);
    show_file_diagnostics(diagnostics);
    EXPECT_THAT(box_texts(), ElementsAre("Can't open " + state.map_file_name + " for reading"));
}

TEST_F(Map_file, UnknownChunksAreSkippedWithAMessageEach)
{
    chunks.insert(chunks.begin() + 2, Raw_chunk{"JUNK", {1, 2, 3}});
    chunks.push_back(Raw_chunk{"maph", Bytes(80)}); // ids are case-sensitive
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_THAT(box_texts(), ElementsAre(BOGUS, BOGUS));
}

TEST_F(Map_file, ARepeatedChunkReplacesTheEarlierOne)
{
    std::reverse(chunks.begin(), chunks.end());
    chunks.push_back(Raw_chunk{"TILE", {7, 0, 9, 0, 11}}); // odd length: no pad byte follows
    chunks.push_back(Raw_chunk{"CPYR", {'n', 'e', 'w'}});
    ASSERT_EQ(read_chunks(), 0);
    EXPECT_EQ(std::make_tuple(state.tile_table, state.cpyr_text),
              std::make_tuple(std::vector<uint16_t>{7, 9, 11}, "new"));
}

TEST_F(Map_file, SampleLengthsComeFromTheNextOffset)
{
    // Offsets, chunk size; per sample its length, whether it fits, what reading gives. A wild first offset wraps
    // its length round to a small number; an offset before the one ahead of it gives a negative length; an
    // offset past the chunk's end leaves the sample before it running out of the chunk.
    using Sample_seen = std::tuple<int64_t, bool, int>;
    using Row = std::tuple<std::vector<uint32_t>, size_t, std::vector<Sample_seen>>;
    const Row rows[] = {Row{{14, 120, 320}, 514, {{100, true, 0}, {194, true, 0}, {188, true, 0}}},
                        Row{{0xFFFFFFF0u, 10}, 40, {{20, false, -1}, {24, true, 0}}},
                        Row{{60, 30}, 40, {{-36, false, -1}, {4, true, 0}}},
                        Row{{14, 50}, 45, {{30, false, -1}, {-11, false, -1}}}};
    for (const auto& [offsets, size, expected] : rows) {
        chunk(chunks, "SAMP").data = sample_index(offsets, size);
        ASSERT_EQ(read_chunks(), 0);
        std::vector<Sample_seen> seen;
        uint8_t data[256];
        for (Sample_info& s : state.samples)
            seen.emplace_back(s.length, map_sample_fits(state, s), read_map_sample(state, s, data));
        EXPECT_EQ(seen, expected) << offsets[0];
    }
}

TEST_F(Map_file, HostileRecordSizesNeverReachOutsideTheirChunk)
{
    put_u32(chunk(chunks, "MAPH").data, 28, 0x7FFFFFFF); // levels
    // record and image size; reading the last screen, level 1, and the last image
    const std::tuple<int32_t, int, int, int> rows[] = {
        {0, -1, -1, -1}, {-1340, -1, -1, -1}, {0x7FFFFFFF, -1, -1, -1}, {1, -1, 0, -1}};
    for (const auto& [size, screen, level, image] : rows) {
        put_u32(chunk(chunks, "MAPH").data, 40, static_cast<uint32_t>(size));
        put_u32(chunk(chunks, "MAPH").data, 52, static_cast<uint32_t>(size));
        ASSERT_EQ(read_chunks(), 0);
        Field_info board;
        uint8_t pixels[16];
        EXPECT_EQ(std::make_tuple(read_map_board(state, board, -5), read_map_board(state, board, 1),
                                  read_map_image(state, pixels, sizeof pixels, 0xFFFFFFFFu)),
                  std::make_tuple(screen, level, image))
            << size;
    }
}

// A pack level is laid on the blank board, whose own sounds belong to the
// blank screen and whose counts a map may hold, never to a level.
class Pack_board : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        Map_contents contents = test_map_contents();
        Field_info& blank = contents.boards.at(5); // boards 1, 2, 3, -1, -2, -3
        ASSERT_EQ(blank.number, BOARD_BLANK);
        make_dirty(blank);
        open_map(contents);
        Level_info level;
        std::memset(level.layout, '#', sizeof level.layout);
        build_pack_board(state, level);
    }
    static void make_dirty(Field_info& b)
    {
        b.start_sound = 1;
        b.banked_sound = 2;
        b.solved_sound = 3;
        b.spare_sound = 4;
        b.moves = b.pushes = b.zero = 9;
        b.start_time = b.solve_time = 99;
        b.undo_player_after = b.undo_player_before = b.undo_treasure_to = b.undo_treasure_from = 5;
    }
};

TEST_F(Pack_board, APackLevelTakesNoSoundOfTheBlankBoard)
{
    const Field_info& b = state.pristine_board;
    EXPECT_THAT(std::make_tuple(b.start_sound, b.banked_sound, b.solved_sound, b.spare_sound),
                testing::FieldsAre(NO_SOUND, NO_SOUND, NO_SOUND, NO_SOUND));
}

TEST_F(Pack_board, APackLevelTakesNoCountsOfTheBlankBoard)
{
    const Field_info& b = state.pristine_board;
    EXPECT_THAT(std::make_tuple(b.moves, b.pushes, b.zero, b.start_time, b.solve_time),
                testing::FieldsAre(0, 0, 0, 0u, 0u));
}

TEST_F(Pack_board, APackLevelStartsWithNothingToUndo)
{
    const Field_info& b = state.pristine_board;
    EXPECT_THAT(std::make_tuple(b.undo_player_after, b.undo_player_before, b.undo_treasure_to, b.undo_treasure_from),
                testing::FieldsAre(-1, -1, -1, -1));
}

} // namespace
