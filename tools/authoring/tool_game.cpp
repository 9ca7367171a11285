#include "tools/authoring/tool_game.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "files/map_file.h"
#include "shell/platform_offscreen.h"

namespace
{

constexpr int TILE_W = 16, TILE_H = 12;

// The template map's image of tile code k is a plain square of colour k of the
// game's colour map, so a kind of cell is told by its colour alone; cells
// beyond the level are code 0, black.
constexpr uint16_t TILE_BLACK = 0;
constexpr uint16_t TILE_PLAYER = STANDARD_KIND_TILES[KIND_PLAYER];
const uint16_t TILE_HIGHEST = *std::max_element(std::begin(STANDARD_KIND_TILES), std::end(STANDARD_KIND_TILES));

Field_info blank_board(int number)
{
    Field_info b;
    std::memset(&b, 0, sizeof b);
    b.number = static_cast<int16_t>(number);
    b.rows = LEVEL_ROWS;
    b.columns = LEVEL_COLS;
    b.undo_player_after = b.undo_player_before = b.undo_treasure_to = b.undo_treasure_from = -1;
    b.start_sound = b.banked_sound = b.solved_sound = b.spare_sound = NO_SOUND;
    std::copy(std::begin(STANDARD_KIND_TILES), std::end(STANDARD_KIND_TILES), b.kind_tiles);
    for (Field_cell& c : b.cells)
        c = Field_cell{TILE_BLACK, KIND_WALL, KIND_WALL};
    return b;
}

std::string unique_temp_name()
{
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char name[96];
    std::snprintf(name, sizeof name, "zandrek-template-%llx-%u.map", static_cast<unsigned long long>(now),
                  counter.fetch_add(1));
    return (std::filesystem::temp_directory_path() / name).string();
}

void collect_boxes(Tool_game& game)
{
    for (const Platform_call* c : offscreen_calls_of(CALL_BOX)) {
        if (!game.error.empty()) game.error += '\n';
        game.error += c->text;
    }
}

// One character handed to the game's own playback; false once the level is solved.
bool play_one(Game_state& state, char c, Playback_result& result)
{
    if (!is_playback_char(c)) return true;
    replay_char(state, c, 0, 0, 0);
    result.played += 1;
    if (state.mode == MODE_SOLVED || state.mode == MODE_ALL_DONE) {
        result.solved = true;
        return false;
    }
    return true;
}

} // namespace

Tool_game::~Tool_game()
{
    if (state.map_file) std::fclose(state.map_file);
    state.map_file = nullptr;
    if (!template_map.empty()) {
        std::error_code ignored;
        std::filesystem::remove(template_map, ignored);
    }
}

Map_contents template_map_contents()
{
    Map_contents m;
    m.map.num_levels = 1;
    m.map.record_size = sizeof(Field_info);
    m.map.image_size = TILE_W * TILE_H;
    m.boards.push_back(blank_board(1));
    for (int n = BOARD_TITLE; n >= BOARD_ABOUT; --n)
        m.boards.push_back(blank_board(n));

    m.tile_info.width = TILE_W;
    m.tile_info.height = TILE_H;
    m.tile_info.image_size = TILE_W * TILE_H;
    for (uint16_t& slot : m.tile_info.slots_14_to_27)
        slot = TILE_PLAYER;
    for (uint16_t t = 0; t <= TILE_HIGHEST; ++t) {
        m.tile_table.push_back(t);
        m.images.emplace_back(TILE_W * TILE_H, static_cast<uint8_t>(t));
    }
    m.fidget.sequence_count = 1;
    for (auto& sequence : m.fidget.sequences)
        for (uint16_t& frame : sequence)
            frame = FIDGET_END;
    m.fidget.sequences[0][0] = TILE_PLAYER;
    std::memset(m.speech_info.ids_8_to_15, NO_SOUND, sizeof m.speech_info.ids_8_to_15);
    m.cpyr = "Zandrek tool template map";
    return m;
}

int open_tool_game(Tool_game& game, const char* map_path)
{
    offscreen_reset(game.state.magnify);
    game.error.clear();
    if (map_path) {
        game.state.map_file_name = map_path;
    } else {
        game.template_map = unique_temp_name();
        if (write_map_file(template_map_contents(), game.template_map.c_str()) != 0) {
            game.error = "cannot write the template map " + game.template_map;
            return -1;
        }
        game.state.map_file_name = game.template_map;
    }
    File_diagnostics diagnostics;
    if (read_map_file(game.state, diagnostics) != 0) {
        show_file_diagnostics(diagnostics);
        collect_boxes(game);
        if (game.error.empty()) game.error = "cannot read the map file " + game.state.map_file_name;
        return -1;
    }
    return 0;
}

Pack_info* load_tool_pack(Tool_game& game, const char* path)
{
    Pack_diagnostic diagnostic;
    if (read_pack(game.state, path, &diagnostic) != 0) {
        game.error = describe_pack_failure(path, diagnostic);
        return nullptr;
    }
    Pack_info* pack = game.state.packs.get();
    while (pack->next)
        pack = pack->next.get();
    return pack;
}

int parse_level_number(const char* text, const Pack_info& pack, int* number, std::string& error)
{
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') {
        error = std::string("'") + text + "' is not a level number";
        return -1;
    }
    if (n < 1 || n > pack.num_levels) {
        error = std::string("level ") + text + " is out of range: the pack has " + std::to_string(pack.num_levels) +
                (pack.num_levels == 1 ? " level" : " levels");
        return -1;
    }
    *number = static_cast<int>(n);
    return 0;
}

void enter_tool_level(Tool_game& game, Pack_info& pack, int number)
{
    select_level_set(game.state, pack.number, number);
}

Playback_result play_moves(Game_state& state, std::string_view moves, bool counts_and_comments)
{
    Playback_result result;
    if (state.mode == MODE_SOLVED || state.mode == MODE_ALL_DONE) return result;
    if (counts_and_comments) {
        scan_playback_text(moves, [&](char c) { return play_one(state, c, result); });
    } else {
        for (char c : moves)
            if (!play_one(state, c, result)) break;
    }
    return result;
}

std::string board_legend_text(const Field_info& board, const Level_info* level, int rows, int cols)
{
    std::string text;
    for (int r = 0; r < rows; ++r) {
        std::string line;
        for (int c = 0; c < cols; ++c) {
            char ch = ' ';
            bool of_play = !level || (r < LEVEL_ROWS && c < LEVEL_COLS && level->layout[r][c] != ' ');
            if (of_play && board_has_cell(board, c, r)) {
                const Field_cell& cell = board.cells[r * board.columns + c];
                if (cell.floor == KIND_WALL)
                    ch = '#';
                else if (cell.content == KIND_PLAYER)
                    ch = cell.floor == KIND_BANK ? '+' : '@';
                else if (is_treasure_kind(cell.content))
                    ch = cell.floor == KIND_BANK ? '*' : '$';
                else if (cell.floor == KIND_BANK)
                    ch = '.';
                else
                    ch = '-';
            }
            line += ch;
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line;
        text += '\n';
    }
    return text;
}

void level_extent(const Level_info& level, int* rows, int* cols)
{
    *rows = *cols = 0;
    for (int r = 0; r < LEVEL_ROWS; ++r)
        for (int c = 0; c < LEVEL_COLS; ++c)
            if (level.layout[r][c] != ' ') {
                *rows = std::max(*rows, r + 1);
                *cols = std::max(*cols, c + 1);
            }
}
