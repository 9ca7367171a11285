#include "tools/authoring/level_text.h"

#include <algorithm>
#include <cstring>

#include "engine/field.h"
#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tools/authoring/sample_text.h"

namespace
{

constexpr size_t SOLUTION_LINE = 60; // the reader joins the lines again
constexpr size_t SAMPLES_PER_LINE = 50;
constexpr char LEGEND[] = "#-.$*@+ ";

const char* const REFERENCE_KEYWORDS[REF_COUNT] = {
    "Treasure:", "BankTreasure:", "Wall:", "Floor:", "Bank:", "Start:", "Banked:", "Solved:"};

// A line end or NUL inside a value would end or cut its line; a CR at the
// end would be stripped with the line end.
std::string line_character_problem(const std::string& text)
{
    if (text.find_first_of(std::string("\n\0", 2)) != std::string::npos) return "it holds a line end or a NUL";
    if (!text.empty() && text.back() == '\r') return "it ends in a carriage return";
    return std::string();
}

std::string pixel_row(const uint8_t* row, int32_t width)
{
    // Values missing at the end of a line read as 0, so trailing zeros go.
    int32_t used = width;
    while (used > 0 && row[used - 1] == 0)
        --used;
    std::string out;
    for (int32_t x = 0; x < used; ++x) {
        if (x) out += ' ';
        out += std::to_string(row[x]);
    }
    return out;
}

struct Writer {
    std::string out;
    std::string problem;

    bool refuse(const std::string& where, const std::string& why)
    {
        if (problem.empty()) problem = where + ": " + why;
        return false;
    }
    bool name_line(const std::string& where, const std::string& name)
    {
        std::string why = name_problem(name);
        if (!why.empty()) return refuse(where, why);
        out += "Name: " + name + "\n";
        return true;
    }
    bool about_block(const std::string& where, const std::string& block)
    {
        std::string why = about_problem(block);
        if (!why.empty()) return refuse(where, why);
        out += "About:\n" + block;
        if (!block.empty() && block.back() != '\n') out += '\n';
        out += "end\n";
        return true;
    }
    bool tile(const Authored_tile& tile, size_t index)
    {
        std::string where = "tile " + std::to_string(index + 1) + " (" + tile.name + ")";
        out += "\nTile:\n";
        if (!name_line(where, tile.name)) return false;
        out += "Width: " + std::to_string(tile.width) + "\nHeight: " + std::to_string(tile.height) + "\n";
        if (!tile.pixels.empty()) {
            if (tile.width <= 0 || tile.height <= 0 ||
                static_cast<int64_t>(tile.pixels.size()) != static_cast<int64_t>(tile.width) * tile.height)
                return refuse(where, "its picture does not match its width and height");
            out += "Imagery:\n";
            for (int32_t y = 0; y < tile.height; ++y) {
                std::string row = pixel_row(tile.pixels.data() + static_cast<size_t>(y) * tile.width, tile.width);
                if (row.size() > RECORD_TEXT_LIMIT)
                    return refuse(where, "row " + std::to_string(y + 1) + " of its picture needs more than " +
                                             std::to_string(RECORD_TEXT_LIMIT) + " characters");
                out += row + "\n";
            }
            out += "end\n";
        }
        out += "end\n";
        return true;
    }
    bool sound(const Authored_sound& sound, size_t index)
    {
        std::string where = "sound " + std::to_string(index + 1) + " (" + sound.name + ")";
        out += "\nSound:\n";
        if (!name_line(where, sound.name)) return false;
        out += "Speed: " + std::to_string(sound.speed) + "\n";
        if (sound.sample_size != 0) out += "SampleSize: " + std::to_string(sound.sample_size) + "\n";
        out += "NumSamples: " + std::to_string(sound.num_samples) + "\n";
        if (!sound.samples.empty()) {
            if (static_cast<int64_t>(sound.samples.size()) != sound.num_samples)
                return refuse(where, "its samples do not match its count");
            out += "Data:\n";
            for (size_t i = 0; i < sound.samples.size(); ++i) {
                out += sample_number_text(sound.samples[i], sound.sample_size);
                if ((i + 1) % SAMPLES_PER_LINE == 0 || i + 1 == sound.samples.size()) out += '\n';
            }
            out += "end\n";
        }
        out += "end\n";
        return true;
    }
    bool solution(const std::string& where, const std::string& moves)
    {
        std::string why = solution_problem(moves);
        if (!why.empty()) return refuse(where, why);
        out += "Solution:\n";
        for (size_t i = 0; i < moves.size();) {
            // A Solution block ends at a line that is exactly "end".
            size_t take = moves.compare(i, SOLUTION_LINE, "end") == 0 ? 2 : SOLUTION_LINE;
            out += moves.substr(i, take) + "\n";
            i += take;
        }
        out += "end\n";
        return true;
    }
    bool level(const Authored_level& level, size_t index)
    {
        std::string where = "level " + std::to_string(index + 1);
        out += "\nLevel:\n";
        if (!name_line(where, level.name)) return false;
        for (const std::string& remark : level.remarks)
            out += remark + "\n";
        for (int r = 0; r < REF_COUNT; ++r) {
            const std::string& name = r < static_cast<int>(level.references.size()) ? level.references[r] : "";
            if (name.empty() || name == UNNAMED_REFERENCE) continue;
            std::string why = reference_problem(name);
            if (!why.empty()) return refuse(where + ", " + REFERENCE_KEYWORDS[r], why);
            out += std::string(REFERENCE_KEYWORDS[r]) + " " + name + "\n";
        }
        std::string why = layout_problem(level.rows);
        if (!why.empty()) return refuse(where, why);
        out += "Layout:\n";
        // Rows keep their leading spaces, which place the room on the board;
        // trailing spaces and empty rows below the room say nothing.
        size_t used = level.rows.size();
        while (used > 0 && level.rows[used - 1].find_first_not_of(' ') == std::string::npos)
            --used;
        for (size_t r = 0; r < used; ++r) {
            const std::string& row = level.rows[r];
            size_t last = row.find_last_not_of(' ');
            out += (last == std::string::npos ? std::string() : row.substr(0, last + 1)) + "\n";
        }
        out += "end\n";
        if (!level.solution.empty() || level.empty_solution)
            if (!solution(where, level.solution)) return false;
        for (size_t b = 0; b < level.about.size(); ++b)
            if (!about_block(where + ", About block " + std::to_string(b + 1), level.about[b])) return false;
        out += "end\n";
        return true;
    }
};

} // namespace

std::string name_problem(const std::string& name)
{
    if (name.size() > NAME_LIMIT) return "a name has at most " + std::to_string(NAME_LIMIT) + " characters";
    std::string why = line_character_problem(name);
    return why.empty() ? why : "the name cannot be written: " + why;
}

std::string reference_problem(const std::string& name)
{
    if (name.empty()) return "a tile or sound name cannot be empty";
    if (name.size() > NAME_LIMIT)
        return "a tile or sound name has at most " + std::to_string(NAME_LIMIT) + " characters";
    // The reader takes the second word of the line.
    if (name.find_first_of(" \t\n\v\f\r") != std::string::npos)
        return "a tile or sound name is one word, without blanks";
    if (name.find('\0') != std::string::npos) return "a tile or sound name cannot hold a NUL";
    return std::string();
}

std::string about_problem(const std::string& block)
{
    if (block.find('\0') != std::string::npos) return "the About text holds a NUL";
    size_t start = 0;
    for (int line = 1; start < block.size(); ++line) {
        size_t end = std::min(block.find('\n', start), block.size());
        std::string text = block.substr(start, end - start);
        std::string at = "About line " + std::to_string(line);
        if (text.compare(0, 3, "end") == 0)
            return at + " begins with \"end\", which would end the text there; begin it with another word";
        if (text.size() > RECORD_TEXT_LIMIT)
            return at + " is longer than " + std::to_string(RECORD_TEXT_LIMIT) + " characters";
        if (!text.empty() && text.back() == '\r') return at + " ends in a carriage return";
        start = end + 1;
    }
    return std::string();
}

bool is_play_cell(char c)
{
    return c != '\0' && std::strchr("-.$*@+", c) != nullptr;
}

bool is_bank_cell(char c)
{
    return c != '\0' && std::strchr(".*+", c) != nullptr;
}

bool is_treasure_cell(char c)
{
    return c == '$' || c == '*';
}

bool is_zandrek_cell(char c)
{
    return c == '@' || c == '+';
}

std::string about_text(const std::string& typed)
{
    std::string out;
    for (size_t i = 0; i < typed.size(); ++i)
        if (!(typed[i] == '\r' && i + 1 < typed.size() && typed[i + 1] == '\n')) out += typed[i];
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out;
}

std::string solution_problem(const std::string& solution)
{
    std::string why = line_character_problem(solution);
    if (!why.empty()) return "the solution cannot be written: " + why;
    if (solution.find('\r') != std::string::npos) return "the solution cannot be written: it holds a carriage return";
    return std::string();
}

std::string layout_problem(const std::vector<std::string>& rows)
{
    if (rows.size() > static_cast<size_t>(LEVEL_ROWS))
        return "the layout has more than " + std::to_string(LEVEL_ROWS) + " rows";
    for (size_t r = 0; r < rows.size(); ++r) {
        size_t last = rows[r].find_last_not_of(' ');
        if (last != std::string::npos && last >= static_cast<size_t>(LEVEL_COLS))
            return "layout row " + std::to_string(r + 1) + " has more than " + std::to_string(LEVEL_COLS) + " cells";
        size_t bad = rows[r].find_first_not_of(LEGEND);
        if (bad != std::string::npos)
            return "layout row " + std::to_string(r + 1) + ", column " + std::to_string(bad + 1) +
                   " holds a character that is no piece";
    }
    return std::string();
}

int pack_text(const Authored_pack& pack, std::string& text, std::string& problem)
{
    Writer w;
    w.out = "Zandrek Pack\n";
    bool ok = true;
    if (pack.levels.empty()) ok = w.refuse("the pack", "it needs at least one level");
    if (ok) ok = w.name_line("the pack's name", pack.name);
    for (size_t b = 0; ok && b < pack.about.size(); ++b)
        ok = w.about_block("the pack's About block " + std::to_string(b + 1), pack.about[b]);
    for (size_t i = 0; ok && i < pack.tiles.size(); ++i)
        ok = w.tile(pack.tiles[i], i);
    for (size_t i = 0; ok && i < pack.sounds.size(); ++i)
        ok = w.sound(pack.sounds[i], i);
    for (size_t i = 0; ok && i < pack.levels.size(); ++i)
        ok = w.level(pack.levels[i], i);
    if (!ok) {
        problem = w.problem;
        return -1;
    }
    text = std::move(w.out);
    return 0;
}

std::string pack_text(const std::string& pack_name, const std::vector<Authored_level>& levels)
{
    Authored_pack pack;
    pack.name = pack_name;
    pack.levels = levels;
    std::string text, problem;
    return pack_text(pack, text, problem) == 0 ? text : std::string();
}

std::unique_ptr<Pack_info> pack_of_level(const Authored_level& level)
{
    std::string text = pack_text("", {level});
    if (text.empty()) return nullptr;
    return read_pack_bytes(text.data(), text.size());
}
