// zandrek-tool as a level author runs it: each command on small files written
// here, its output and exit status against what its --help promises.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using testing::FieldsAre;
using testing::HasSubstr;
using Bytes = std::vector<uint8_t>;

// Level 1 is solved by its answer, level 2's answer walks into a wall, level 3 has none.
const char PACK[] = "Zandrek Pack\nName: Tool Fixture\n\n"
                    "Level:\nName: One Push\nLayout:\n#####\n#@$.#\n#####\nend\nSolution:\n>\nend\nend\n\n"
                    "Level:\nName: Wrong Answer\nLayout:\n######\n#@-$.#\n######\nend\nSolution:\n<\nend\nend\n\n"
                    "Level:\nName: No Answer\nLayout:\n######\n#@$-.#\n#----#\n######\nend\nend\n";

struct Outcome {
    int status;
    std::string out;
};

std::string file_text(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Tool : public testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::path(ZANDREK_TOOL_SCRATCH) / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "fixture.zrp", std::ios::binary) << PACK;
    }
    // The tool's standard output and exit status; standard error is left in err.txt.
    Outcome run(const std::string& args)
    {
        const std::string command =
            std::string("cd '") + dir.string() + "' && '" + ZANDREK_TOOL + "' " + args + " 2>err.txt";
        FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            out += static_cast<char>(c);
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }
    fs::path dir;
};

// Pixels as 0xRRGGBB, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

Picture read_png(const fs::path& file)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture p;
    if (!png_image_begin_read_from_file(&image, file.string().c_str())) return p;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return p;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        p.pixels.push_back(uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
    return p;
}

// The colours of one 16 x 12 cell (row * 20 + column) of a sheet's level,
// counted from 0: levels stand side by side, 4 pixels apart.
std::set<uint32_t> sheet_cell_colours(const Picture& sheet, int level, int cell)
{
    const int x0 = 4 + level * 324 + cell % 20 * 16, y0 = 4 + cell / 20 * 12;
    std::set<uint32_t> seen;
    for (int y = y0; y < y0 + 12; ++y)
        for (int x = x0; x < x0 + 16; ++x)
            seen.insert(sheet.pixels.at(static_cast<size_t>(y) * sheet.width + x));
    return seen;
}

TEST_F(Tool, LevelsPrintsOneTabSeparatedLinePerLevel)
{
    EXPECT_THAT(run("levels fixture.zrp"), FieldsAre(0, "1\tOne Push\t3\t5\t1\t1\tyes\n"
                                                        "2\tWrong Answer\t3\t6\t1\t1\tyes\n"
                                                        "3\tNo Answer\t4\t6\t1\t1\tno\n"));
}

// Bad arguments or files print nothing, say why first on standard error and exit with the
// status each command's --help gives them.
TEST_F(Tool, EachRefusalSaysWhyOnStandardError)
{
    const struct {
        const char* args;
        int status;
        const char* why;
    } rows[] = {
        {"play fixture.zrp x", 1, "zandrek-tool play: 'x' is not a level number\n"},
        {"play fixture.zrp 2x", 1, "zandrek-tool play: '2x' is not a level number\n"},
        {"play fixture.zrp 0", 1, "zandrek-tool play: level 0 is out of range: the pack has 3 levels\n"},
        {"play fixture.zrp 4", 1, "zandrek-tool play: level 4 is out of range: the pack has 3 levels\n"},
        {"solve fixture.zrp", 4, "usage: zandrek-tool solve [--map FILE] PACK.zrp N"},
        {"solve fixture.zrp 4", 4, "zandrek-tool solve: level 4 is out of range: the pack has 3 levels\n"},
        {"frob", 1, "zandrek-tool: unknown command 'frob'\n"},
        {"render broken.map 1 -o out.png", 1,
         "zandrek-tool render: File broken.map smells bad, not an IFF FORM file\n"},
        {"play broken.zrp 1", 1, "zandrek-tool play: broken.zrp: line 1: the first line is not \"Zandrek Pack\""},
    };
    std::ofstream(dir / "broken.map") << "junk";
    std::ofstream(dir / "broken.zrp") << "junk\n";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args);
        EXPECT_THAT(run(r.args), FieldsAre(r.status, ""));
        EXPECT_THAT(file_text(dir / "err.txt"), testing::StartsWith(r.why));
    }
}

// A map the tool writes for itself goes to the temporary folder; where
// nothing can be written there, it says so and stops.
TEST_F(Tool, AScratchMapThatCannotBeWrittenIsNamed)
{
    const std::string description = std::string(ZANDREK_SOURCE) + "/assets/map/zandrek_map.txt";
    const std::pair<std::string, const char*> rows[] = {
        {"play fixture.zrp 1", "zandrek-tool play: cannot write the template map /proc/zandrek-template-"},
        {"build-map '" + description + "' -o a.map",
         "zandrek-tool build-map: cannot write the temporary map /proc/zandrek_build_map_"},
    };
    const char* const kept = std::getenv("TMPDIR");
    const std::string before = kept ? kept : "";
    setenv("TMPDIR", "/proc", 1); // a folder where not even the superuser makes a file
    for (const auto& [args, why] : rows) {
        SCOPED_TRACE(args);
        EXPECT_THAT(run(args), FieldsAre(1, ""));
        EXPECT_THAT(file_text(dir / "err.txt"), testing::StartsWith(why));
    }
    if (kept)
        setenv("TMPDIR", before.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST_F(Tool, PlayPrintsTheFinalBoardWithItsCounts)
{
    EXPECT_THAT(run("play fixture.zrp 1 '>'"), FieldsAre(0, "#####\n#-@*#\n#####\nmoves 1 pushes 1 solved yes\n"));
}

TEST_F(Tool, PlayPassesOverACommentBetweenMoves)
{
    EXPECT_THAT(run("play fixture.zrp 1 '`the one push:` >'"),
                FieldsAre(0, "#####\n#-@*#\n#####\nmoves 1 pushes 1 solved yes\n"));
}

// A click on the treasure pushes it home; the moves after it find the level over.
TEST_F(Tool, PlayMovesNothingOnceAClickHasSolvedTheLevel)
{
    EXPECT_THAT(run("play fixture.zrp 1 --click 1,2 '<'"),
                FieldsAre(0, "#####\n#-@*#\n#####\nmoves 1 pushes 1 solved yes\n"));
}

// From (1, 1) of level 3: four steps round to (2, 4), two back up to (1, 3), then a push left.
TEST_F(Tool, PlayWalksToEachClickedCellBeforeTheMoves)
{
    EXPECT_THAT(run("play fixture.zrp 3 --click 2,4 --click 1,3 '<'"),
                FieldsAre(0, "######\n#$@-.#\n#----#\n######\nmoves 7 pushes 1 solved no\n"));
}

TEST_F(Tool, CheckNamesEachLevelsVerdict)
{
    const std::string out = run("check fixture.zrp").out;
    for (const char* line : {"1\tOne Push\tsolved", "2\tWrong Answer\tFAILED", "3\tNo Answer\tno solution"})
        EXPECT_THAT(out, HasSubstr(line));
}

TEST_F(Tool, CheckExitsOneWhenAStoredAnswerFails)
{
    EXPECT_EQ(run("check fixture.zrp").status, 1);
}

TEST_F(Tool, SolvePrintsTheMovesThenTheCounts)
{
    EXPECT_THAT(run("solve --quiet fixture.zrp 1"), FieldsAre(0, ">\nmoves 1 pushes 1\n"));
}

TEST_F(Tool, GeneratedLevelsCarryAnswersThatPassTheCheck)
{
    run("generate --quiet --count 2 --size 6x6 --treasures 1 --seed 5 > generated.zrp");
    EXPECT_THAT(run("check generated.zrp"), FieldsAre(0, HasSubstr("\n2 solved, 0 failed, 0 without a solution\n")));
}

// A score file of one player, from its literal bytes: header, count, one 40-byte record.
Bytes one_player_score()
{
    Bytes b = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n', 1};
    Bytes record(40, 0);
    const char name[] = "Ada";
    std::copy(name, name + 3, record.begin() + 4);
    record[24] = 7;  // highest built-in level solved
    record[28] = 24; // the carried values of a new player
    record[30] = 6;
    record[32] = 0x2C; // moves 300
    record[33] = 0x01;
    record[34] = 40;  // pushes
    record[36] = 125; // seconds
    b.insert(b.end(), record.begin(), record.end());
    return b;
}

TEST_F(Tool, ScoreListsEachPlayersBestResult)
{
    const Bytes b = one_player_score();
    std::ofstream(dir / "Zandrek.score", std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    EXPECT_THAT(run("score Zandrek.score"),
                FieldsAre(0, "players: 1\nname\tlevel\tmoves\tpushes\tseconds\tcarried\nAda\t7\t300\t40\t125\t24 6\n"));
}

TEST_F(Tool, MapSummarisesTheBuiltMap)
{
    EXPECT_THAT(run(std::string("map '") + ZANDREK_MAP + "'"), FieldsAre(0, HasSubstr("levels: 50\n")));
}

TEST_F(Tool, BuildMapWritesTheBuildsMapFromItsDescription)
{
    const std::string description = std::string(ZANDREK_SOURCE) + "/assets/map/zandrek_map.txt";
    EXPECT_EQ(run("build-map '" + description + "' -o a.map").status, 0);
    EXPECT_EQ(file_text(dir / "a.map"), file_text(ZANDREK_MAP));
}

TEST_F(Tool, SoundWritesAMonoWave)
{
    EXPECT_EQ(run(std::string("sound '") + ZANDREK_MAP + "' 8 -o step.wav").status, 0);
    // The header's first 24 bytes: RIFF, a size, WAVE, a 16-byte fmt chunk of PCM, one channel.
    const std::string wav = file_text(dir / "step.wav").substr(0, 24);
    EXPECT_THAT(std::make_tuple(wav.substr(0, 4), wav.substr(8, 16)),
                FieldsAre("RIFF", std::string("WAVEfmt \x10\0\0\0\1\0\1\0", 16)));
}

// A step with no push changes at most two cells of 16 by 12 pixels.
TEST_F(Tool, RenderAStepChangesTwoCellsAtMost)
{
    const std::string map = std::string(" '") + ZANDREK_MAP + "' 2 --pack fixture.zrp --magnify 1";
    EXPECT_EQ(run("render" + map + " -o before.png").status, 0);
    EXPECT_EQ(run("render" + map + " --moves '>' -o after.png").status, 0);
    const Picture before = read_png(dir / "before.png"), after = read_png(dir / "after.png");
    size_t changed = 0;
    for (size_t i = 0; i < std::min(before.pixels.size(), after.pixels.size()); ++i)
        changed += before.pixels[i] != after.pixels[i];
    EXPECT_THAT(std::make_tuple(before.width, before.height, after.pixels.size(), changed),
                FieldsAre(320, 192, 320 * 192, testing::AllOf(testing::Gt(0u), testing::Le(2u * 16 * 12))));
}

// Without a map, level 3 ("No Answer") shows a colour for each kind of cell:
// every cell one colour, six in all with the ground beyond the walls. The
// sheet's levels stand side by side, 4 pixels apart; a level's number covers
// its top left cell.
TEST_F(Tool, ASheetWithoutAMapShowsEachKindOfCellInItsOwnColour)
{
    const int status = run("render --sheet fixture.zrp -o sheet.png").status;
    const Picture sheet = read_png(dir / "sheet.png");
    std::set<uint32_t> colours;
    int mixed = 0;
    for (int cell = 1; cell < 16 * 20 && sheet.width >= 3 * 324 && sheet.height >= 4 + 16 * 12; ++cell) {
        const std::set<uint32_t> seen = sheet_cell_colours(sheet, 2, cell);
        mixed += seen.size() > 1;
        colours.insert(seen.begin(), seen.end());
    }
    EXPECT_THAT(std::make_tuple(status, mixed, colours.size()), FieldsAre(0, 0, 6u));
}

// The one level's second row holds Zandrek, a banked treasure, a treasure
// and a bank; the grid's bottom-right cell, beyond the level, is ground. Each has its own colour.
TEST_F(Tool, ASheetWithoutAMapGivesABankedTreasureItsOwnColour)
{
    std::ofstream(dir / "banked.zrp", std::ios::binary)
        << "Zandrek Pack\nName: Banked\n\nLevel:\nName: Half Done\nLayout:\n######\n#@*$.#\n######\nend\nend\n";
    const int status = run("render --sheet banked.zrp -o sheet.png").status;
    const Picture sheet = read_png(dir / "sheet.png");
    std::set<uint32_t> colours;
    for (int cell : {21, 22, 23, 24, 16 * 20 - 1}) {
        const std::set<uint32_t> seen = sheet_cell_colours(sheet, 0, cell);
        colours.insert(seen.begin(), seen.end());
    }
    EXPECT_THAT(std::make_tuple(status, colours.size()), FieldsAre(0, 5u));
}

} // namespace
