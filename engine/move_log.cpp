#include "engine/move_log.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/events.h"
#include "engine/game_state.h"

namespace
{

struct Playback_char {
    char c;
    const char* word;
    int32_t code;
};

// The letter keys h, j, k, l carry the moves, so a replayed step is logged
// back as the arrow character, not as the letter that was read.
const Playback_char PLAYBACK[] = {
    {'<', "LEFT", CODE_H},    {'W', "LEFT", CODE_H}, {'>', "RIGHT", CODE_L}, {'E', "RIGHT", CODE_L},
    {'^', "UP", CODE_K},      {'N', "UP", CODE_K},   {'v', "DOWN", CODE_J},  {'S', "DOWN", CODE_J},
    {'r', "RESTART", CODE_R}, {'u', "UNDO", CODE_U},
};

const Playback_char* playback_for(char c)
{
    for (const Playback_char& p : PLAYBACK)
        if (p.c == c) return &p;
    return nullptr;
}

} // namespace

bool is_playback_char(char c)
{
    return playback_for(c) != nullptr;
}

namespace
{

bool is_scan_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// How often the character before "x" is played, read as "%d" reads it: white
// space skipped, an optional sign, digits. No digits: played once. `at` is
// just past the "x" and is left past whatever the scan used up.
long read_count(const char* text, size_t length, size_t* at)
{
    size_t i = *at;
    while (i < length && is_scan_space(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= length || !is_digit(text[i])) {
        *at = i;
        return 1;
    }
    int64_t n = 0;
    while (i < length && is_digit(text[i])) // an overlong count stays at the largest
        n = std::min<int64_t>(n * 10 + (text[i++] - '0'), INT_MAX);
    *at = i;
    return negative ? 0 : static_cast<long>(n);
}

bool read_whole_file(const char* path, std::string* text)
{
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text->append(buffer, n);
    std::fclose(f);
    return true;
}

} // namespace

int open_move_log(Game_state& state, const char* path)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) return -1;
    close_move_log(state);
    state.move_log.log = f;
    return 0;
}

void close_move_log(Game_state& state)
{
    if (state.move_log.log) std::fclose(state.move_log.log);
    state.move_log.log = nullptr;
    state.move_log.line_count = 0;
}

void toggle_move_log(Game_state& state)
{
    if (state.move_log.log) {
        close_move_log(state);
        set_window_title(state, "Zandmove.txt closed.");
        return;
    }
    if (open_move_log(state, MOVE_LOG_NAME) == 0) set_window_title(state, "Zandmove.txt opened.");
}

// The echo never gets the line breaks added at 70 characters: they are only
// there to keep the file readable.
void log_move_char(Game_state& state, char c)
{
    Move_log_state& log = state.move_log;
    if (!log.log) return;
    if (log.echo) std::fputc(c, log.echo);
    std::fputc(c, log.log);
    if (c == '\n') {
        log.line_count = 0;
        return;
    }
    if (++log.line_count >= MOVE_LOG_LINE) {
        std::fputc('\n', log.log);
        log.line_count = 0;
    }
}

void replay_char(Game_state& state, char c, int32_t flags, int32_t x, int32_t y)
{
    const Playback_char* p = playback_for(c);
    if (!p) return;
    set_window_title(state, p->word);
    handle_event(state, Game_event{EVENT_KEY, p->code, flags, x, y});
}

void scan_playback_text(std::string_view text, const std::function<bool(char)>& play)
{
    const char* chars = text.data();
    const size_t length = text.size();
    bool in_comment = false;
    size_t i = 0;
    while (i < length) {
        char c = chars[i++];
        if (c == '`') {
            in_comment = !in_comment;
            continue;
        }
        if (in_comment) continue;
        long times = 1;
        if (i < length && chars[i] == 'x') {
            ++i;
            times = read_count(chars, length, &i);
        }
        for (long k = 0; k < times; ++k)
            if (!play(c)) return;
    }
}

void play_back_text(Game_state& state, std::string_view text, int32_t flags, int32_t x, int32_t y)
{
    scan_playback_text(text, [&](char c) {
        replay_char(state, c, flags, x, y);
        return true;
    });
}

// The whole file is read before the first step is played. When the log is
// being recorded into while it plays back, the played steps land after what
// was read and are not played again, so playback always ends.
int play_back_file(Game_state& state, const char* path, int32_t flags, int32_t x, int32_t y)
{
    if (state.move_log.log) std::fflush(state.move_log.log);
    std::string text;
    if (!read_whole_file(path, &text)) return -1;
    play_back_text(state, text, flags, x, y);
    return 0;
}

void play_back_log(Game_state& state, int32_t flags, int32_t x, int32_t y)
{
    play_back_file(state, MOVE_LOG_NAME, flags, x, y);
}

void play_back_solution(Game_state& state, int32_t flags, int32_t x, int32_t y)
{
    if (!state.pack || !state.pack->current_level) return;
    // A copy: a solving step enters the next level, which may change what
    // the pack holds as current.
    const std::string solution = state.pack->current_level->solution;
    for (char c : solution)
        replay_char(state, c, flags, x, y);
}

void dump_tile_text(Game_state& state)
{
    dump_tile_text(state, stdout);
}

// Pixels are printed as signed bytes, so the palette's upper half comes out
// negative; the tile reader then takes those as 0.
void dump_tile_text(Game_state& state, FILE* out)
{
    if (!state.pack || !state.pack->current_level) return;
    const Pack_tile* tile = state.pack->current_level->treasure_tile.tile;
    if (!tile) return;
    std::fprintf(out, "Tile:\nName: %.*s\nWidth: %d\nHeight: %d\nImagery:\n", NAME_CAPACITY - 1, tile->name,
                 tile->width, tile->height);
    // Rows go only as far as the pixels do: a tile whose picture never came
    // has a size but no rows to print.
    const size_t available = tile->pixels.size();
    const size_t width = static_cast<size_t>(std::max(tile->width, 0));
    for (size_t row = 0; static_cast<int64_t>(row) < tile->height && row * width < available; ++row) {
        for (size_t index = row * width; index < (row + 1) * width && index < available; ++index)
            std::fprintf(out, "%d ", static_cast<int>(static_cast<int8_t>(tile->pixels[index])));
        std::fputc('\n', out);
    }
    std::fputs("end\nend\n", out);
}
