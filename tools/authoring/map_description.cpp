#include "tools/authoring/map_description.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "files/map_file.h"
#include "files/pack_reader.h"

namespace fs = std::filesystem;

namespace
{

const char* const BOARD_NAMES[] = {"title", "help", "blank", "finale", "about"}; // boards -1 to -5
const std::pair<const char*, int> OCCASIONS[] = {
    {"step", SPEECH_STEP},
    {"push", SPEECH_PUSH},
    {"corner", SPEECH_CORNER},
    {"undo", SPEECH_UNDO},
    {"leave-title", SPEECH_LEAVE_TITLE},
    {"refused", SPEECH_REFUSED},
    {"first-level", SPEECH_FIRST_LEVEL},
};
const size_t MAX_TILE_CODE = 4095; // what the description's numbers allow

struct Legend_entry {
    uint16_t tile;
    uint8_t content;
    uint8_t floor;
};

struct Special_board {
    bool seen = false;
    std::vector<std::string> rows; // legend characters, or
    std::vector<uint8_t> picture;  // palette indexes of a whole-board picture
    uint8_t sounds[4] = {NO_SOUND, NO_SOUND, NO_SOUND, NO_SOUND};
};

// The tiles a range of built-in levels draws instead of the pack tiles; made
// whole from its level-tiles line.
struct Level_look {
    long first, last;
    uint16_t wall, floor, bank, treasure, banked;
};

struct Description {
    std::vector<std::string> level_packs;
    uint8_t level_sounds[3] = {NO_SOUND, NO_SOUND, NO_SOUND};
    int tile_w = 0, tile_h = 0;
    std::map<char, int> colours;
    std::vector<std::string> image_names;
    std::vector<std::vector<uint8_t>> images;
    std::map<int, std::string> tiles; // tile code -> image name
    bool player_seen = false;
    uint16_t player[7] = {};
    std::vector<std::vector<uint16_t>> fidgets;
    std::vector<std::string> sample_names;
    std::vector<Map_sample> samples;
    std::vector<std::string> speech; // sample name or "" for silent
    uint8_t occasions[8];
    std::map<char, Legend_entry> legend;
    Special_board boards[5];
    std::vector<Level_look> looks;
    std::string cpyr, prog, arts;
    Description() { std::memset(occasions, NO_SOUND, sizeof occasions); }
};

struct Parser {
    Description& d;
    std::string& error;
    int depth = 0;

    int fail(const std::string& file, int line, const std::string& what)
    {
        error = file + ":" + std::to_string(line) + ": " + what;
        return -1;
    }
    int parse_file(const std::string& path);
};

std::vector<std::string> words_of(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

bool to_int(const std::string& s, long lo, long hi, long& out)
{
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

std::string rest_after(const std::string& line, const std::string& keyword)
{
    size_t at = line.find(keyword) + keyword.size();
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    std::string text;
    for (size_t i = at; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'n') {
            text += '\n';
            ++i;
        } else {
            text += line[i];
        }
    }
    return text;
}

std::string relative_to(const std::string& file, const std::string& name)
{
    fs::path p(name);
    if (p.is_absolute()) return name;
    return (fs::path(file).parent_path() / p).lexically_normal().string();
}

int board_index(const std::string& name)
{
    for (int i = 0; i < 5; ++i)
        if (name == BOARD_NAMES[i]) return i;
    return -1;
}

// A picture of the whole board: LEVEL_ROWS tiles high and LEVEL_COLS wide,
// one colour character a pixel, rows top to bottom.
int read_picture(const std::string& path, const Description& d, std::vector<uint8_t>& pixels, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = path + ": cannot open the file", -1;
    const size_t width = static_cast<size_t>(LEVEL_COLS * d.tile_w);
    const int height = LEVEL_ROWS * d.tile_h;
    pixels.clear();
    std::string row;
    int rows = 0;
    while (std::getline(in, row)) {
        while (!row.empty() && (row.back() == '\r' || row.back() == '\n'))
            row.pop_back();
        if (row.empty()) continue;
        ++rows;
        if (row.size() != width || rows > height)
            return error = path + ":" + std::to_string(rows) + ": a picture is " + std::to_string(height) +
                           " rows of " + std::to_string(width) + " characters",
                   -1;
        for (char c : row) {
            auto it = d.colours.find(c);
            if (it == d.colours.end())
                return error = path + ":" + std::to_string(rows) + ": no colour for '" + c + "'", -1;
            pixels.push_back(static_cast<uint8_t>(it->second));
        }
    }
    if (rows != height) return error = path + ": a picture has " + std::to_string(height) + " rows", -1;
    return 0;
}

// The description file being read, line by line; block directives read on.
struct Line_reader {
    std::ifstream in;
    std::string path;
    int number = 0;

    bool next_line(std::string& out)
    {
        if (!std::getline(in, out)) return false;
        ++number;
        while (!out.empty() && (out.back() == '\r' || out.back() == '\n'))
            out.pop_back();
        return true;
    }
};

using Words = std::vector<std::string>;

// One directive line as its handler sees it.
struct Directive_line {
    Parser& parser;
    Line_reader& reader;
    const std::string& line;
    const Words& w;

    Description& d() { return parser.d; }
    int fail(const std::string& what) { return parser.fail(reader.path, reader.number, what); }
    std::string relative(const std::string& name) { return relative_to(reader.path, name); }
};

int parse_include(Directive_line& l)
{
    return l.parser.parse_file(l.relative(l.w[1]));
}

int parse_levels(Directive_line& l)
{
    l.d().level_packs.clear();
    for (size_t i = 1; i < l.w.size(); ++i)
        l.d().level_packs.push_back(l.relative(l.w[i]));
    return 0;
}

int parse_level_sounds(Directive_line& l)
{
    long v = 0;
    for (int i = 0; i < 3; ++i) {
        if (!to_int(l.w[1 + i], 0, 255, v)) return l.fail("a sound id is 0 to 255");
        l.d().level_sounds[i] = static_cast<uint8_t>(v);
    }
    return 0;
}

int parse_tile_size(Directive_line& l)
{
    long v = 0, h = 0;
    if (!to_int(l.w[1], 1, 64, v) || !to_int(l.w[2], 1, 64, h)) return l.fail("tile sizes are 1 to 64 pixels");
    l.d().tile_w = static_cast<int>(v);
    l.d().tile_h = static_cast<int>(h);
    return 0;
}

int parse_text(Directive_line& l)
{
    const std::string& key = l.w[0];
    (key == "cpyr" ? l.d().cpyr : key == "prog" ? l.d().prog : l.d().arts) = rest_after(l.line, key);
    return 0;
}

int parse_colour(Directive_line& l)
{
    long v = 0;
    if (!to_int(l.w[2], 0, 255, v)) return l.fail("a palette index is 0 to 255");
    l.d().colours[l.w[1][0]] = static_cast<int>(v);
    return 0;
}

int parse_image(Directive_line& l)
{
    Description& d = l.d();
    const std::string& name = l.w[1];
    if (d.tile_w == 0) return l.fail("tile-size must come before the first image");
    std::vector<uint8_t> pixels;
    std::string row;
    int rows = 0;
    while (true) {
        if (!l.reader.next_line(row)) return l.fail("image " + name + " has no end line");
        if (row == "end") break;
        if (static_cast<int>(row.size()) != d.tile_w)
            return l.fail("image rows are " + std::to_string(d.tile_w) + " characters");
        for (char c : row) {
            auto it = d.colours.find(c);
            if (it == d.colours.end()) return l.fail(std::string("no colour for '") + c + "'");
            pixels.push_back(static_cast<uint8_t>(it->second));
        }
        ++rows;
    }
    if (rows != d.tile_h) return l.fail("image " + name + " needs " + std::to_string(d.tile_h) + " rows");
    for (const std::string& n : d.image_names)
        if (n == name) return l.fail("image " + name + " is defined twice");
    d.image_names.push_back(name);
    d.images.push_back(pixels);
    return 0;
}

int parse_tile(Directive_line& l)
{
    long v = 0;
    if (!to_int(l.w[1], 0, 4095, v)) return l.fail("tile codes are 0 to 4095");
    l.d().tiles[static_cast<int>(v)] = l.w[2];
    return 0;
}

int parse_player(Directive_line& l)
{
    long v = 0;
    for (int i = 0; i < 7; ++i) {
        if (!to_int(l.w[1 + i], 0, 4095, v)) return l.fail("tile codes are 0 to 4095");
        l.d().player[i] = static_cast<uint16_t>(v);
    }
    l.d().player_seen = true;
    return 0;
}

int parse_fidget(Directive_line& l)
{
    if (l.w.size() > FIDGET_FRAMES) return l.fail("a sequence holds at most 19 tile codes");
    if (l.d().fidgets.size() >= FIDGET_SEQUENCES) return l.fail("at most 15 sequences");
    std::vector<uint16_t> seq;
    long v = 0;
    for (size_t i = 1; i < l.w.size(); ++i) {
        if (!to_int(l.w[i], 0, 4095, v)) return l.fail("tile codes are 0 to 4095");
        seq.push_back(static_cast<uint16_t>(v));
    }
    l.d().fidgets.push_back(seq);
    return 0;
}

int parse_sample(Directive_line& l)
{
    Map_sample s;
    std::string why;
    if (read_wav_sample(l.relative(l.w[2]), s, why) != 0) return l.fail(why);
    l.d().sample_names.push_back(l.w[1]);
    l.d().samples.push_back(s);
    return 0;
}

int parse_speech(Directive_line& l)
{
    l.d().speech.push_back(l.w[1] == "silent" ? std::string() : l.w[1]);
    return 0;
}

int parse_occasion(Directive_line& l)
{
    const auto* occasion = std::find_if(std::begin(OCCASIONS), std::end(OCCASIONS),
                                        [&](const auto& known) { return l.w[1] == known.first; });
    if (occasion == std::end(OCCASIONS)) return l.fail("no occasion " + l.w[1]);
    long v = 0;
    if (!to_int(l.w[2], 0, 255, v)) return l.fail("a sound id is 0 to 255");
    l.d().occasions[occasion->second - offsetof(Speech_info, ids_8_to_15)] = static_cast<uint8_t>(v);
    return 0;
}

int parse_legend(Directive_line& l)
{
    long tile = 0, content = 0, floor = 0;
    if (!to_int(l.w[2], 0, 4095, tile) || !to_int(l.w[3], 0, 255, content) || !to_int(l.w[4], 0, 255, floor))
        return l.fail("legend C TILE CONTENT FLOOR");
    l.d().legend[l.w[1][0]] = {static_cast<uint16_t>(tile), static_cast<uint8_t>(content), static_cast<uint8_t>(floor)};
    return 0;
}

int parse_level_tiles(Directive_line& l)
{
    long t[7];
    for (int i = 0; i < 7; ++i)
        if (!to_int(l.w[1 + i], i < 2 ? 1 : 0, i < 2 ? BUILTIN_LEVELS : 4095, t[i]))
            return l.fail("level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED");
    const auto code = [&](int i) { return static_cast<uint16_t>(t[i]); };
    l.d().looks.push_back({t[0], t[1], code(2), code(3), code(4), code(5), code(6)});
    return 0;
}

int parse_picture(Directive_line& l)
{
    int k = board_index(l.w[1]);
    if (k < 0) return l.fail("no special board " + l.w[1]);
    Description& d = l.d();
    if (d.tile_w == 0) return l.fail("tile-size must come before the first picture");
    std::string why;
    if (read_picture(l.relative(l.w[2]), d, d.boards[k].picture, why) != 0) return l.fail(why);
    d.boards[k].seen = true;
    return 0;
}

int parse_board_sounds(Directive_line& l)
{
    int k = board_index(l.w[1]);
    if (k < 0) return l.fail("no special board " + l.w[1]);
    long v = 0;
    for (int i = 0; i < 4; ++i) {
        if (!to_int(l.w[2 + i], 0, 255, v)) return l.fail("a sound id is 0 to 255");
        l.d().boards[k].sounds[i] = static_cast<uint8_t>(v);
    }
    return 0;
}

int parse_board(Directive_line& l)
{
    int k = board_index(l.w[1]);
    if (k < 0) return l.fail("no special board " + l.w[1]);
    Special_board& b = l.d().boards[k];
    b.rows.clear();
    b.picture.clear();
    std::string row;
    while (true) {
        if (!l.reader.next_line(row)) return l.fail("board " + l.w[1] + " has no end line");
        if (row == "end") break;
        if (row.size() != LEVEL_COLS) return l.fail("board rows are 20 characters");
        for (char c : row)
            if (!l.d().legend.count(c)) return l.fail(std::string("no legend for '") + c + "'");
        b.rows.push_back(row);
    }
    if (b.rows.size() != LEVEL_ROWS) return l.fail("a board has 16 rows");
    b.seen = true;
    return 0;
}

// Each directive as its line is written: the key, then a word for each
// value; "..." lets any number of words follow, and C is a single character.
struct Directive {
    const char* form;
    int (*parse)(Directive_line& line);
};

const Directive DIRECTIVES[] = {
    {"include FILE", parse_include},
    {"levels PACK ...", parse_levels},
    {"level-sounds START BANKED SOLVED", parse_level_sounds},
    {"tile-size WIDTH HEIGHT", parse_tile_size},
    {"cpyr ...", parse_text},
    {"prog ...", parse_text},
    {"arts ...", parse_text},
    {"colour C INDEX", parse_colour},
    {"image NAME", parse_image},
    {"tile CODE IMAGE", parse_tile},
    {"player SLOT14 SLOT15 SLOT17 SLOT20 SLOT21 SLOT23 SLOT24", parse_player},
    {"fidget CODE ...", parse_fidget},
    {"sample NAME FILE", parse_sample},
    {"speech NAME", parse_speech},
    {"occasion OCCASION SOUND", parse_occasion},
    {"legend C TILE CONTENT FLOOR", parse_legend},
    {"level-tiles FIRST LAST WALL FLOOR BANK TREASURE BANKED", parse_level_tiles},
    {"picture BOARD FILE", parse_picture},
    {"board BOARD", parse_board},
    {"board-sounds BOARD START BANKED SOLVED SPARE", parse_board_sounds},
};

bool fits(const char* form, const Words& w)
{
    const Words f = words_of(form);
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] == "...") return true;
        if (i >= w.size() || (i == 0 && f[0] != w[0]) || (f[i] == "C" && w[i].size() != 1)) return false;
    }
    return w.size() == f.size();
}

const Directive* directive_for(const Words& w)
{
    for (const Directive& d : DIRECTIVES)
        if (fits(d.form, w)) return &d;
    return nullptr;
}

int Parser::parse_file(const std::string& path)
{
    if (++depth > 8) return fail(path, 0, "includes nest too deep");
    Line_reader reader{std::ifstream(path, std::ios::binary), path};
    if (!reader.in) return fail(path, 0, "cannot open the file");
    std::string line;
    while (reader.next_line(line)) {
        Words w = words_of(line);
        if (w.empty() || w[0][0] == '#') continue;
        const Directive* directive = directive_for(w);
        if (!directive) return fail(path, reader.number, "cannot make sense of '" + line + "'");
        Directive_line at{*this, reader, line, w};
        if (directive->parse(at) != 0) return -1;
    }
    --depth;
    return 0;
}

// `codes` holds the tile of every cell of a picture board; pictures are
// scenery, so their cells are walls.
Field_info special_board(const Description& d, int k, const std::vector<uint16_t>& codes)
{
    Field_info b{};
    const Special_board& s = d.boards[k];
    b.number = static_cast<int16_t>(-1 - k);
    b.rows = LEVEL_ROWS;
    b.columns = LEVEL_COLS;
    b.undo_player_after = b.undo_player_before = b.undo_treasure_to = b.undo_treasure_from = -1;
    b.start_sound = s.sounds[0];
    b.banked_sound = s.sounds[1];
    b.solved_sound = s.sounds[2];
    b.spare_sound = s.sounds[3];
    std::memcpy(b.kind_tiles, STANDARD_KIND_TILES, sizeof b.kind_tiles);
    if (!codes.empty()) {
        for (int i = 0; i < FIELD_MAX_CELLS; ++i)
            b.cells[i] = Field_cell{codes[static_cast<size_t>(i)], KIND_WALL, KIND_WALL};
        return b;
    }
    for (int r = 0; r < LEVEL_ROWS; ++r) {
        for (int c = 0; c < LEVEL_COLS; ++c) {
            const Legend_entry& e = d.legend.at(s.rows[r][c]);
            Field_cell& cell = b.cells[r * LEVEL_COLS + c];
            cell.tile = e.tile;
            cell.content = e.content;
            cell.floor = e.floor;
            if (is_treasure_kind(e.content)) {
                b.treasures += 1;
                if (e.floor == KIND_BANK)
                    b.banked_at_start += 1;
                else
                    b.loose += 1;
            }
            if (e.content == KIND_PLAYER) {
                b.start_x = b.player_x = static_cast<int16_t>(c);
                b.start_y = b.player_y = static_cast<int16_t>(r);
            }
        }
    }
    b.banked = b.banked_at_start;
    return b;
}

// The first pack that reads and holds the 50 built-in levels.
std::unique_ptr<Pack_info> load_levels(const Description& d, std::string& used, std::string& error)
{
    std::string why;
    for (const std::string& path : d.level_packs) {
        if (!fs::exists(path)) {
            why += "\n  " + path + ": no such file";
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Pack_diagnostic diagnostic;
        std::unique_ptr<Pack_info> pack = read_pack_bytes(bytes.data(), bytes.size(), &diagnostic);
        if (!pack) {
            why += "\n  " + describe_pack_failure(path.c_str(), diagnostic);
            continue;
        }
        if (pack->num_levels < BUILTIN_LEVELS) {
            why += "\n  " + path + ": holds " + std::to_string(pack->num_levels) + " levels, 50 are needed";
            continue;
        }
        used = path;
        return pack;
    }
    error = "no pack of built-in levels could be used:" + why;
    return nullptr;
}

// Walls drawn from the layout's '#' take the look's wall; the cells outside
// keep the template's scenery.
void apply_look(Field_info& b, const Level_look& look)
{
    b.kind_tiles[KIND_FLOOR] = look.floor;
    b.kind_tiles[KIND_BANK] = look.bank;
    b.kind_tiles[KIND_TREASURE] = look.treasure;
    b.kind_tiles[KIND_BANKED_TREASURE] = look.banked;
    for (Field_cell& cell : b.cells) {
        if (cell.floor == KIND_WALL) {
            if (cell.tile == PACK_WALL_TILE) cell.tile = look.wall;
        } else if (cell.content != KIND_PLAYER) {
            bool banked = cell.content == KIND_TREASURE && cell.floor == KIND_BANK;
            cell.tile = b.kind_tiles[banked ? int{KIND_BANKED_TREASURE} : int{cell.content}];
        }
    }
}

// The built-in levels become boards the way the game makes boards of pack
// levels, on the blank board of the map being built.
int build_level_boards(Map_contents& m, const Pack_info& pack, const Description& d, std::string& error)
{
    std::string path =
        (fs::temp_directory_path() / ("zandrek_build_map_" + std::to_string(std::random_device{}()))).string();
    if (write_map_file(m, path.c_str()) != 0) {
        error = "cannot write the temporary map " + path;
        return -1;
    }
    int result = 0;
    {
        auto state = std::make_unique<Game_state>();
        state->map_file_name = path;
        File_diagnostics ignored; // the error says what matters to the author
        if (read_map_file(*state, ignored) != 0) {
            error = "the special boards do not make a readable map";
            result = -1;
        } else {
            std::vector<Field_info> levels;
            const Level_info* level = pack.levels.get();
            for (int n = 1; n <= BUILTIN_LEVELS && level; ++n, level = level->next.get()) {
                build_pack_board(*state, *level);
                Field_info b = state->pristine_board;
                b.number = static_cast<int16_t>(n);
                b.start_sound = d.level_sounds[0];
                b.banked_sound = d.level_sounds[1];
                b.solved_sound = d.level_sounds[2];
                // A later line for the same level wins, as a description
                // that includes another may want to change its looks.
                const Level_look* chosen = nullptr;
                for (const Level_look& look : d.looks)
                    if (n >= look.first && n <= look.last) chosen = &look;
                if (chosen) apply_look(b, *chosen);
                levels.push_back(b);
            }
            m.boards.insert(m.boards.begin(), levels.begin(), levels.end());
            m.map.num_levels = BUILTIN_LEVELS;
        }
    }
    std::error_code ignored;
    fs::remove(path, ignored);
    return result;
}

} // namespace

int read_wav_sample(const std::string& path, Map_sample& sample, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = path + ": cannot open the file", -1;
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (b.size() < 12 || std::memcmp(&b[0], "RIFF", 4) != 0 || std::memcmp(&b[8], "WAVE", 4) != 0)
        return error = path + ": not a WAV file", -1;
    bool have_format = false;
    uint32_t channels = 0, rate = 0, bits = 0;
    size_t pos = 12;
    while (pos + 8 <= b.size()) {
        uint32_t length = u32(pos + 4);
        size_t data = pos + 8;
        if (length > b.size() - data) return error = path + ": a chunk runs past the end of the file", -1;
        if (std::memcmp(&b[pos], "fmt ", 4) == 0 && length >= 16) {
            if (u16(data) != 1) return error = path + ": only PCM samples are used", -1;
            channels = u16(data + 2);
            rate = u32(data + 4);
            bits = u16(data + 14);
            have_format = true;
        } else if (std::memcmp(&b[pos], "data", 4) == 0) {
            if (!have_format) return error = path + ": data before the format", -1;
            if (channels != 1) return error = path + ": samples must be mono", -1;
            if (bits != 8 && bits != 16) return error = path + ": samples are 8 or 16 bits", -1;
            if (rate < 1 || rate > 65535) return error = path + ": the rate does not fit 16 bits", -1;
            sample.rate = static_cast<uint16_t>(rate);
            sample.bits = static_cast<uint16_t>(bits);
            sample.data.assign(b.begin() + static_cast<long>(data), b.begin() + static_cast<long>(data + length));
            // WAV keeps 8-bit samples unsigned; the map keeps them signed.
            if (bits == 8)
                for (uint8_t& s : sample.data)
                    s ^= 0x80;
            if (bits == 16 && sample.data.size() % 2) sample.data.pop_back();
            return 0;
        }
        pos = data + length + (length & 1); // RIFF pads odd chunks
    }
    return error = path + ": no sample data", -1;
}

int read_map_description(const std::string& path, Map_contents& m, std::string& levels_used, std::string& error)
{
    auto d = std::make_unique<Description>();
    Parser parser{*d, error};
    if (parser.parse_file(path) != 0) return -1;
    auto missing = [&](const std::string& what) {
        error = path + ": " + what;
        return -1;
    };
    if (d->images.empty()) return missing("no image");
    if (!d->player_seen) return missing("no player line");
    if (d->fidgets.size() < 2) return missing("the idle animation needs at least two fidget sequences");
    for (int k = 0; k < 5; ++k)
        if (!d->boards[k].seen) return missing(std::string("no board ") + BOARD_NAMES[k]);
    if (d->samples.size() > 255) return missing("at most 255 samples");

    m = Map_contents{};
    const int image_size = d->tile_w * d->tile_h;
    m.map.record_size = sizeof(Field_info);
    m.map.image_size = image_size;
    m.images = d->images;

    m.tile_info.width = d->tile_w;
    m.tile_info.height = d->tile_h;
    m.tile_info.image_size = ((d->tile_w + 3) & ~3) * d->tile_h;
    for (int i = 0; i < 7; ++i) {
        static const int SLOTS[7] = {14, 15, 17, 20, 21, 23, 24};
        m.tile_info.slots_14_to_27[SLOTS[i] - 14] = d->player[i];
    }
    int highest = d->tiles.empty() ? -1 : d->tiles.rbegin()->first;
    m.tile_table.assign(static_cast<size_t>(highest + 1), 0);
    for (const auto& [code, name] : d->tiles) {
        const auto image = std::find(d->image_names.begin(), d->image_names.end(), name);
        if (image == d->image_names.end()) return missing("tile " + std::to_string(code) + " names no image " + name);
        m.tile_table[static_cast<size_t>(code)] = static_cast<uint16_t>(image - d->image_names.begin());
    }

    for (auto& seq : m.fidget.sequences)
        for (auto& frame : seq)
            frame = FIDGET_END;
    m.fidget.sequence_count = static_cast<int16_t>(d->fidgets.size());
    for (size_t s = 0; s < d->fidgets.size(); ++s)
        for (size_t f = 0; f < d->fidgets[s].size(); ++f)
            m.fidget.sequences[s][f] = d->fidgets[s][f];

    m.samples = d->samples;
    m.speech_info.num_samples = static_cast<int16_t>(d->samples.size());
    std::memcpy(m.speech_info.ids_8_to_15, d->occasions, 8);
    for (const std::string& name : d->speech) {
        Speech_item item{0, 0};
        if (!name.empty()) {
            size_t k = 0;
            while (k < d->sample_names.size() && d->sample_names[k] != name)
                ++k;
            if (k == d->sample_names.size()) return missing("speech names no sample " + name);
            item = Speech_item{1, static_cast<uint8_t>(k)};
        }
        m.speech_items.push_back(item);
    }
    m.cpyr = d->cpyr;
    m.prog = d->prog;
    m.arts = d->arts;

    for (const Level_look& look : d->looks)
        for (uint16_t code : {look.wall, look.floor, look.bank, look.treasure, look.banked})
            if (!d->tiles.count(code))
                return missing("level-tiles names tile " + std::to_string(code) + ", which has no image");

    // Picture cells become tiles of their own, each distinct picture cell
    // once, numbered on from the highest tile code the description names.
    std::map<std::vector<uint8_t>, uint16_t> sliced;
    for (int k = 0; k < 5; ++k) {
        const std::vector<uint8_t>& picture = d->boards[k].picture;
        std::vector<uint16_t> codes;
        for (int i = 0; !picture.empty() && i < FIELD_MAX_CELLS; ++i) {
            std::vector<uint8_t> tile;
            const size_t stride = static_cast<size_t>(LEVEL_COLS * d->tile_w);
            const size_t top = static_cast<size_t>((i / LEVEL_COLS) * d->tile_h) * stride;
            const size_t left = static_cast<size_t>((i % LEVEL_COLS) * d->tile_w);
            for (int y = 0; y < d->tile_h; ++y) {
                auto from = picture.begin() + static_cast<long>(top + static_cast<size_t>(y) * stride + left);
                tile.insert(tile.end(), from, from + d->tile_w);
            }
            auto found = sliced.find(tile);
            if (found == sliced.end()) {
                if (m.tile_table.size() > MAX_TILE_CODE)
                    return missing("the pictures need more tiles than the codes up to " +
                                   std::to_string(MAX_TILE_CODE) + " hold");
                uint16_t code = static_cast<uint16_t>(m.tile_table.size());
                m.tile_table.push_back(static_cast<uint16_t>(m.images.size()));
                m.images.push_back(tile);
                found = sliced.emplace(tile, code).first;
            }
            codes.push_back(found->second);
        }
        m.boards.push_back(special_board(*d, k, codes));
    }

    std::unique_ptr<Pack_info> pack = load_levels(*d, levels_used, error);
    if (!pack) return -1;
    return build_level_boards(m, *pack, *d, error);
}
