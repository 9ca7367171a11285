#include "files/level_reader.h"

#include <memory>
#include <string_view>

#include "engine/pack_records.h"
#include "files/line_io.h"

namespace
{

// Every character the legend does not know becomes a space, a cell of no play.
char legend_char(Level_info& level, char c, int row, int col)
{
    switch (c) {
    case '#':
    case '-':
    case '.': return c;
    case '$':
        level.loose_treasures += 1;
        level.num_treasures += 1;
        return c;
    case '*':
        level.banked_treasures += 1;
        level.num_treasures += 1;
        return c;
    case '@':
    case '+':
        level.start_x = col;
        level.start_y = row;
        return c;
    default: return ' ';
    }
}

bool read_layout(Level_info& level, Line_source& source)
{
    for (int row = 0;; ++row) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends inside a Layout block";
            return false;
        }
        line = strip_line_end(line);
        if (line == "end") return true;
        if (row >= LEVEL_ROWS) continue;
        for (int col = 0; col < LEVEL_COLS; ++col) {
            char c = col < static_cast<int>(line.size()) ? line[col] : ' ';
            level.layout[row][col] = legend_char(level, c, row, col);
        }
    }
}

bool read_solution(Level_info& level, Line_source& source)
{
    std::string solution;
    for (;;) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends inside a Solution block";
            return false;
        }
        line = strip_line_end(line);
        if (line == "end") break;
        solution.append(line.data(), line.size());
    }
    level.solution = std::move(solution);
    level.has_solution = true;
    return true;
}

bool read_about(Level_info& level, Line_source& source)
{
    auto block = std::make_unique<Text_block>();
    if (read_text_block(*block, source) != 0) return false;
    std::unique_ptr<Text_block>* tail = &level.about;
    while (*tail)
        tail = &(*tail)->next;
    *tail = std::move(block);
    return true;
}

struct Word_field {
    const char* keyword;
    char* (*field)(Level_info&);
};

const Word_field WORD_FIELDS[] = {
    {"Treasure:", [](Level_info& l) { return l.treasure_tile.name; }},
    {"BankTreasure:", [](Level_info& l) { return l.bank_treasure_tile.name; }},
    {"Wall:", [](Level_info& l) { return l.wall_tile.name; }},
    {"Floor:", [](Level_info& l) { return l.floor_tile.name; }},
    {"Bank:", [](Level_info& l) { return l.bank_tile.name; }},
    {"Start:", [](Level_info& l) { return l.start_sound.name; }},
    {"Banked:", [](Level_info& l) { return l.banked_sound.name; }},
    {"Solved:", [](Level_info& l) { return l.solved_sound.name; }},
};

} // namespace

int read_level(Level_info& level, Line_source& source)
{
    for (;;) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends before the level's end line";
            return 1;
        }
        line = strip_line_end(line);
        // Any line beginning with these three letters ends the level.
        if (starts_with("end", line)) return 0;
        if (starts_with("Layout:", line)) {
            if (!read_layout(level, source)) return 1;
        } else if (starts_with("Name:", line)) {
            take_rest_of_line(level.name, line);
        } else if (starts_with("Solution:", line)) {
            if (!read_solution(level, source)) return 1;
        } else if (starts_with("About:", line)) {
            if (!read_about(level, source)) return 1;
        } else {
            for (const Word_field& w : WORD_FIELDS) {
                if (starts_with(w.keyword, line)) {
                    take_second_word(w.field(level), line);
                    break;
                }
            }
        }
    }
}
