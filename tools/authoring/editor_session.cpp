#include "tools/authoring/editor_session.h"

#include <algorithm>
#include <memory>

#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tools/authoring/authored_records.h"
#include "tools/authoring/level_link.h"
#include "tools/authoring/pack_editing.h"
#include "tools/authoring/tested_solution.h"

namespace
{

constexpr const char* SHARED_LEVEL_NAME = "Shared level";

void start_on(Editor_session& session, Authored_pack pack, size_t position)
{
    session.pack = std::move(pack);
    session.current = position;
    editor_open(session.editor, session.pack.levels[position]);
}

} // namespace

void session_keep_level(Editor_session& session)
{
    if (session.current < session.pack.levels.size()) session.pack.levels[session.current] = session.editor.level;
}

int open_editor_session(Editor_session& session, std::string& problem, const char* map_path)
{
    if (open_tool_game(session.game, map_path) != 0) {
        problem = session.game.error;
        return -1;
    }
    start_on(session, new_pack(), 0);
    return 0;
}

int session_open_pack(Editor_session& session, const std::string& bytes, const std::string& file_name,
                      std::string& problem)
{
    Pack_diagnostic diagnostic;
    std::unique_ptr<Pack_info> read = read_pack_bytes(bytes.data(), bytes.size(), &diagnostic);
    if (!read) {
        problem = describe_pack_failure(file_name.c_str(), diagnostic);
        return -1;
    }
    start_on(session, authored_pack(*read), 0);
    return 0;
}

int session_open_link(Editor_session& session, const std::string& link, std::string& problem)
{
    Authored_pack pack = new_pack();
    if (decode_level_link(link, pack.levels[0].rows, problem) != 0) return -1;
    pack.levels[0].name = SHARED_LEVEL_NAME;
    start_on(session, std::move(pack), 0);
    return 0;
}

int session_select_level(Editor_session& session, size_t position, std::string& problem)
{
    if (position >= session.pack.levels.size()) {
        problem = "the pack has no level " + std::to_string(position + 1);
        return -1;
    }
    session_keep_level(session);
    editor_open(session.editor, session.pack.levels[position]);
    session.current = position;
    return 0;
}

int session_add_level(Editor_session& session, size_t position, std::string& problem)
{
    session_keep_level(session);
    if (pack_add_level(session.pack, position, blank_level(), problem) != 0) return -1;
    session.current = position;
    editor_open(session.editor, session.pack.levels[position]);
    return 0;
}

int session_remove_level(Editor_session& session, size_t position, std::string& problem)
{
    session_keep_level(session);
    if (pack_remove_level(session.pack, position, problem) != 0) return -1;
    // The level drawn stays drawn unless it went; then its successor, or the
    // new last level, is drawn.
    if (position < session.current) {
        session.current -= 1;
    } else if (position == session.current) {
        session.current = std::min(position, session.pack.levels.size() - 1);
        editor_open(session.editor, session.pack.levels[session.current]);
    }
    return 0;
}

int session_move_level(Editor_session& session, size_t from, size_t to, std::string& problem)
{
    session_keep_level(session);
    if (pack_move_level(session.pack, from, to, problem) != 0) return -1;
    // The level drawn keeps being drawn wherever the move puts it.
    size_t c = session.current;
    if (c == from)
        session.current = to;
    else if (from < c && c <= to)
        session.current = c - 1;
    else if (to <= c && c < from)
        session.current = c + 1;
    return 0;
}

int session_save(Editor_session& session, std::string& text, std::string& problem)
{
    session_keep_level(session);
    return pack_text(session.pack, text, problem);
}

int session_store_solution(Editor_session& session, const std::string& moves, std::string& problem)
{
    return store_tested_solution(session.game.state, session.editor.level, moves, problem);
}
