#include "files/score_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "engine/game_state.h"
#include "files/file_diagnostics.h"

namespace fs = std::filesystem;

namespace
{

constexpr size_t HEADER_LENGTH = 10;
constexpr size_t NAME_MAX_CHARS = 15;

// A save replaces the file only when the new one was written whole, so a
// crash or a full disk never leaves half a score file behind.
bool write_whole(const std::string& target, const std::vector<uint8_t>& bytes)
{
    std::error_code ec;
    // The game has always written the file in place, which a write-protected
    // file refuses; replacing it through a temporary file would not.
    fs::file_status st = fs::status(target, ec);
    if (!ec && fs::exists(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none) return false;

    std::string temporary = target + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0) ok = false; // closing flushes, and says when that failed
    if (ok) {
        fs::rename(temporary, target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temporary, ec);
    return ok;
}

void write_score_bytes(Game_state& state, const std::vector<uint8_t>& bytes)
{
    // A game without a score file name (the tools, before start-up has named
    // the files) keeps its players in memory only.
    if (state.score_file_name.empty()) return;
    if (!write_whole(state.score_file_name, bytes)) warn_score_unwritable(state);
}

std::vector<uint8_t> header_bytes(uint8_t count)
{
    std::vector<uint8_t> bytes(SCORE_HEADER, SCORE_HEADER + HEADER_LENGTH);
    bytes.push_back(count);
    return bytes;
}

// A file with a wrong header is about to be replaced by an empty one; a copy
// beside it lets a player's history be recovered by hand. The older copy is
// removed first: on Windows the library's overwrite refuses any existing file.
void keep_bad_file(const std::string& name)
{
    std::error_code ec;
    fs::remove(name + ".bad", ec);
    fs::copy_file(name, name + ".bad", ec);
}

// Only a to z have capitals here; other letters keep their case.
char capital(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool same_name(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (capital(*a) != capital(*b)) return false;
        if (*a == '\0') return true;
    }
}

void capitalise(char* name)
{
    bool word_start = true;
    for (char* p = name; *p; ++p) {
        if (word_start) *p = capital(*p);
        word_start = *p == ' ';
    }
}

int next_level_cap(int n)
{
    return std::min(n, BUILTIN_LEVELS);
}

} // namespace

void warn_score_unwritable(Game_state& state)
{
    if (state.score_warnings_shown >= 2) return;
    state.score_warnings_shown += 1;
    File_diagnostics said;
    note_warning(said, "Zandrek can't keep track of your score\nbecause he can't write to the file:\n%s",
                 state.score_file_name.c_str());
    show_file_diagnostics(said);
}

void create_score_file(Game_state& state)
{
    write_score_bytes(state, header_bytes(0));
}

void save_score_file(Game_state& state)
{
    size_t count = std::min({static_cast<size_t>(state.num_players), state.players.size(), size_t{SCORE_MAX_PLAYERS}});
    std::vector<uint8_t> bytes = header_bytes(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* record = reinterpret_cast<const uint8_t*>(state.players[i].get());
        bytes.insert(bytes.end(), record, record + sizeof(Score_entry));
    }
    write_score_bytes(state, bytes);
}

int parse_score_bytes(const uint8_t* data, size_t size, std::vector<Score_entry>& entries)
{
    entries.clear();
    if (size < HEADER_LENGTH || std::memcmp(data, SCORE_HEADER, HEADER_LENGTH) != 0) return -1;
    if (size == HEADER_LENGTH) return 0; // no count byte: no players
    size_t count = data[HEADER_LENGTH];
    // A file shorter than its count says ends the list where the file ends.
    size_t pos = HEADER_LENGTH + 1;
    for (size_t i = 0; i < count && pos + sizeof(Score_entry) <= size; ++i) {
        Score_entry entry;
        std::memcpy(&entry, data + pos, sizeof entry);
        entry.next_slot = 0;
        entry.name[sizeof entry.name - 1] = '\0';
        entries.push_back(entry);
        pos += sizeof entry;
    }
    return 0;
}

int read_score_file(Game_state& state)
{
    state.score_header = SCORE_HEADER;
    state.players.clear();
    state.current_player = nullptr;
    state.num_players = 0;

    const std::string& name = state.score_file_name;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        create_score_file(state);
        return 0;
    }
    // Nothing past the largest file the count byte can describe matters.
    std::vector<uint8_t> bytes(HEADER_LENGTH + 1 + SCORE_MAX_PLAYERS * sizeof(Score_entry));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    std::vector<Score_entry> entries;
    if (parse_score_bytes(bytes.data(), bytes.size(), entries) != 0) {
        keep_bad_file(name);
        create_score_file(state);
        return 0;
    }
    for (const Score_entry& entry : entries) {
        try {
            state.players.push_back(std::make_unique<Score_entry>(entry));
        } catch (const std::bad_alloc&) {
            File_diagnostics said;
            note_error(said, "Can't alloc space for score entry");
            show_file_diagnostics(said);
            return -1;
        }
        state.num_players += 1;
    }
    return 0;
}

std::string player_name(const Game_state& state)
{
    if (!state.current_player) return "";
    const char* name = state.current_player->name;
    return std::string(name, strnlen(name, sizeof state.current_player->name));
}

Score_entry* find_player(Game_state& state, const char* name)
{
    for (auto& p : state.players)
        if (same_name(p->name, name)) return p.get();
    return nullptr;
}

int add_player(Game_state& state, const char* name)
{
    // One count byte cannot describe more players; the rest would be lost
    // at the next save, so no more are taken on.
    if (state.num_players >= SCORE_MAX_PLAYERS) {
        File_diagnostics said;
        note_warning(said, "Zandrek can't remember more than %d players.", SCORE_MAX_PLAYERS);
        show_file_diagnostics(said);
        return -1;
    }
    std::unique_ptr<Score_entry> entry;
    try {
        entry = std::make_unique<Score_entry>();
        state.players.insert(state.players.begin(), nullptr);
    } catch (const std::bad_alloc&) {
        File_diagnostics said;
        note_error(said, "Out of memory!");
        show_file_diagnostics(said);
        return -1;
    }
    std::memset(entry.get(), 0, sizeof *entry);
    std::strncpy(entry->name, name, NAME_MAX_CHARS);
    entry->carried[0] = 24;
    entry->carried[1] = 6;
    state.current_player = entry.get();
    state.players.front() = std::move(entry);
    state.num_players += 1;
    return 0;
}

int choose_player(Game_state& state)
{
    if (ask_player_name(state) != 0) return -1;
    Score_entry* player = state.current_player;
    if (!player) return -1; // no record could be made for the name
    capitalise(player->name);
    if (is_developer_player(state)) player->level = state.map.num_levels;
    save_score_file(state);
    int k = player->level + 1;
    state.max_level = next_level_cap(k);
    state.start_level = k > BUILTIN_LEVELS ? 1 : k;
    state.carried[0] = player->carried[0];
    state.carried[1] = player->carried[1];
    return 0;
}

void record_result(Game_state& state, const Field_info& solved)
{
    Score_entry* player = state.current_player;
    if (!player) return;
    int n = solved.number;
    int32_t t = static_cast<int32_t>(solved.solve_time - solved.start_time);
    if (n < player->level) return;
    if (n == player->level && player->seconds != 0 && t >= player->seconds) return;
    player->level = n;
    state.max_level = next_level_cap(n + 1);
    player->moves = solved.moves;
    player->pushes = solved.pushes;
    player->seconds = t;
    player->carried[0] = state.carried[0];
    player->carried[1] = state.carried[1];
    save_score_file(state);
}

bool is_developer_player(const Game_state& state)
{
    return state.current_player && std::strcmp(state.current_player->name, DEVELOPER_NAME) == 0;
}
