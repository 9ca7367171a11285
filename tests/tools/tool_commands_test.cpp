// zandrek-tool as a level author runs it: each command on small files written
// here, its output and exit status against what its --help promises.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using testing::ElementsAre;
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
    // The tool's standard output and exit status; standard error goes to err.txt.
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
    std::string err() { return file_text(dir / "err.txt"); }
    fs::path dir;
};

// Pixels as 0xRRGGBB, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
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

struct Box {
    int left, top, right, bottom; // right and bottom just past the last pixel
};

// The smallest box holding every pixel in which two pictures of one size differ.
Box difference(const Picture& a, const Picture& b)
{
    Box box{a.width, a.height, 0, 0};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.at(x, y) != b.at(x, y))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
    return box;
}

TEST_F(Tool, HelpListsTheTenCommands)
{
    const Outcome r = run("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* command :
         {"levels", "play", "check", "build-map", "map", "score", "render", "sound", "solve", "generate"})
        EXPECT_THAT(r.out, HasSubstr(std::string("  ") + command + " ")) << command;
}

TEST_F(Tool, UnknownCommandIsNamedOnStandardError)
{
    EXPECT_EQ(run("juggle").status, 1);
    EXPECT_THAT(err(), HasSubstr("unknown command 'juggle'"));
}

TEST_F(Tool, LevelsPrintsOneTabSeparatedLinePerLevel)
{
    const Outcome r = run("levels fixture.zrp");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\tOne Push\t3\t5\t1\t1\tyes\n"
                     "2\tWrong Answer\t3\t6\t1\t1\tyes\n"
                     "3\tNo Answer\t4\t6\t1\t1\tno\n");
}

TEST_F(Tool, LevelsRefusesAPackTheGameLeavesOut)
{
    std::ofstream(dir / "broken.zrp", std::ios::binary) << "Zandrek Pack\nName: B\nLevel:\nLayout:\n#@#\n";
    const Outcome r = run("levels broken.zrp");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(err(), "");
}

TEST_F(Tool, PlayPrintsTheBoardAndTheCounts)
{
    const Outcome r = run("play fixture.zrp 1 '>'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "#####\n#-@*#\n#####\nmoves 1 pushes 1 solved yes\n");
}

TEST_F(Tool, PlayWithoutMovesPrintsTheStart)
{
    EXPECT_EQ(run("play fixture.zrp 2").out, "######\n#@-$.#\n######\nmoves 0 pushes 0 solved no\n");
}

TEST_F(Tool, CheckNamesEachLevelsVerdict)
{
    const std::string out = run("check fixture.zrp").out;
    EXPECT_THAT(out, HasSubstr("1\tOne Push\tsolved"));
    EXPECT_THAT(out, HasSubstr("2\tWrong Answer\tFAILED"));
    EXPECT_THAT(out, HasSubstr("3\tNo Answer\tno solution"));
}

TEST_F(Tool, CheckExitsOneWhenAStoredAnswerFails)
{
    EXPECT_EQ(run("check fixture.zrp").status, 1);
}

TEST_F(Tool, SolvePrintsTheMovesThenTheCounts)
{
    const Outcome r = run("solve --quiet fixture.zrp 1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">\nmoves 1 pushes 1\n");
}

const char GENERATE[] = "generate --quiet --count 2 --size 6x6 --treasures 1 --seed 5";

TEST_F(Tool, GeneratedPacksRepeatForTheSameSeed)
{
    const Outcome first = run(GENERATE);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(run(GENERATE).out, first.out);
}

TEST_F(Tool, GeneratedLevelsCarryAnswersThatSolveThem)
{
    EXPECT_EQ(run(std::string(GENERATE) + " > generated.zrp").status, 0);
    EXPECT_EQ(run("check generated.zrp").status, 0);
    const std::string levels = run("levels generated.zrp").out;
    EXPECT_EQ(std::count(levels.begin(), levels.end(), '\n'), 2);
    EXPECT_EQ(levels.find("\tno\n"), std::string::npos);
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
    const Outcome r = run("score Zandrek.score");
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, HasSubstr("Ada"));
    EXPECT_THAT(r.out, HasSubstr("300"));
    EXPECT_THAT(r.out, HasSubstr("40"));
}

TEST_F(Tool, ScoreRefusesAFileWithAWrongHeader)
{
    Bytes b = one_player_score();
    b[0] = 'z';
    std::ofstream(dir / "Zandrek.score", std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    EXPECT_EQ(run("score Zandrek.score").status, 1);
    EXPECT_EQ(file_text(dir / "Zandrek.score").size(), b.size()); // only read
}

TEST_F(Tool, MapReadsTheBuiltMap)
{
    EXPECT_EQ(run(std::string("map '") + ZANDREK_MAP + "'").status, 0);
}

TEST_F(Tool, MapRefusesAFileThatIsNoMap)
{
    std::ofstream(dir / "junk.map", std::ios::binary) << "not a map at all";
    const Outcome r = run("map junk.map");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out, "");
}

TEST_F(Tool, BuildMapGivesTheSameBytesEachTime)
{
    const std::string description = std::string(ZANDREK_SOURCE) + "/assets/map/zandrek_map.txt";
    EXPECT_EQ(run("build-map '" + description + "' -o a.map").status, 0);
    EXPECT_EQ(run("build-map '" + description + "' -o b.map").status, 0);
    EXPECT_EQ(file_text(dir / "a.map"), file_text(dir / "b.map"));
    EXPECT_EQ(file_text(dir / "a.map"), file_text(ZANDREK_MAP));
}

TEST_F(Tool, BuildMapWithoutAnOutputIsAUsageError)
{
    EXPECT_EQ(run("build-map description.txt").status, 1);
    EXPECT_THAT(err(), HasSubstr("usage: zandrek-tool build-map"));
}

TEST_F(Tool, SoundWritesAMonoWave)
{
    EXPECT_EQ(run(std::string("sound '") + ZANDREK_MAP + "' 8 -o step.wav").status, 0);
    const std::string wav = file_text(dir / "step.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8), "RIFFWAVEfmt ");
    EXPECT_EQ(std::make_tuple(wav[20], wav[22]), std::make_tuple('\1', '\1')); // PCM, one channel
}

TEST_F(Tool, SoundRefusesAnIdPastTheTable)
{
    EXPECT_NE(run(std::string("sound '") + ZANDREK_MAP + "' 255 -o none.wav").status, 0);
    EXPECT_FALSE(fs::exists(dir / "none.wav"));
}

// A step with no push changes two neighbouring cells of 16 by 12 pixels, times the magnification.
TEST_F(Tool, RenderAStepChangesTwoCellsOnly)
{
    const std::string map = std::string(" '") + ZANDREK_MAP + "' 2 --pack fixture.zrp --magnify 1";
    EXPECT_EQ(run("render" + map + " -o before.png").status, 0);
    EXPECT_EQ(run("render" + map + " --moves '>' -o after.png").status, 0);
    const Picture before = read_png(dir / "before.png"), after = read_png(dir / "after.png");
    EXPECT_EQ(std::make_tuple(before.width, before.height), std::make_tuple(320, 192));
    const Box changed = difference(before, after);
    EXPECT_LE(changed.right - changed.left, 32);
    EXPECT_LE(changed.bottom - changed.top, 12);
    EXPECT_GT(changed.right, changed.left);
}

// Magnification M draws each pixel of magnification 1 as an M by M square.
TEST_F(Tool, RenderMagnifiesEveryPixelIntoASquare)
{
    const std::string map = std::string(" '") + ZANDREK_MAP + "' 1 --pack fixture.zrp";
    EXPECT_EQ(run("render" + map + " --magnify 1 -o one.png").status, 0);
    EXPECT_EQ(run("render" + map + " --magnify 3 -o three.png").status, 0);
    const Picture one = read_png(dir / "one.png"), three = read_png(dir / "three.png");
    ASSERT_EQ(std::make_tuple(three.width, three.height), std::make_tuple(960, 576));
    int mismatches = 0;
    for (int y = 0; y < three.height; ++y)
        for (int x = 0; x < three.width; ++x)
            mismatches += three.at(x, y) != one.at(x / 3, y / 3);
    EXPECT_EQ(mismatches, 0);
}

TEST_F(Tool, RenderWithoutAnOutputIsAUsageError)
{
    EXPECT_NE(run(std::string("render '") + ZANDREK_MAP + "' 1").status, 0);
    EXPECT_THAT(err(), HasSubstr("usage: zandrek-tool render"));
}

} // namespace
