// The page's calls into the editing session. Each answers with a problem
// text, empty when the operation was done, or with JSON the page reads.
#include "tools/editor_web/editor_session_web.h"

#include <emscripten/emscripten.h>

#include "tools/authoring/level_checks.h"
#include "tools/authoring/level_link.h"
#include "tools/authoring/pack_editing.h"
#include "tools/editor_web/binding_text.h"

namespace
{

const char* outcome(int result, const std::string& problem)
{
    return answer(result == 0 ? std::string() : problem.empty() ? "refused" : problem);
}

std::string level_json(const Authored_level& l)
{
    return "{\"name\":" + json_string(l.name) + ",\"rows\":" + json_strings(l.rows) +
           ",\"about\":" + json_string(about_typed(l.about)) + ",\"references\":" + json_strings(l.references) +
           ",\"solution\":" + json_string(l.solution) + "}";
}

std::string problems_json(const std::vector<Level_problem>& problems)
{
    std::string out = "[";
    for (size_t i = 0; i < problems.size(); ++i) {
        out += std::string(i ? "," : "") + "{\"message\":" + json_string(problems[i].message) + ",\"cells\":[";
        for (size_t c = 0; c < problems[i].cells.size(); ++c)
            out += (c ? "," : "") + std::to_string(problems[i].cells[c]);
        out += "]}";
    }
    return out + "]";
}

std::string dead_text(const std::vector<bool>& dead)
{
    std::string out;
    for (bool d : dead)
        out += d ? '1' : '0';
    return out;
}

} // namespace

Editor_session& web_session()
{
    static Editor_session session;
    return session;
}

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* ed_open(const char* map_path)
{
    std::string problem;
    return outcome(open_editor_session(web_session(), problem, map_path), problem);
}

// The whole sitting as the page shows it: the pack, its levels' names, the
// level being drawn, its checks and dead cells, and the undo state.
EMSCRIPTEN_KEEPALIVE const char* ed_state()
{
    Editor_session& s = web_session();
    std::vector<std::string> names;
    for (size_t i = 0; i < s.pack.levels.size(); ++i)
        names.push_back(i == s.current ? s.editor.level.name : s.pack.levels[i].name);
    const std::vector<std::string>& rows = s.editor.level.rows;
    return answer("{\"pack\":{\"name\":" + json_string(s.pack.name) +
                  ",\"about\":" + json_string(about_typed(s.pack.about)) + ",\"levels\":" + json_strings(names) +
                  ",\"tiles\":" + std::to_string(s.pack.tiles.size()) +
                  ",\"sounds\":" + std::to_string(s.pack.sounds.size()) + "},\"current\":" + std::to_string(s.current) +
                  ",\"level\":" + level_json(s.editor.level) + ",\"problems\":" + problems_json(level_problems(rows)) +
                  ",\"dead\":\"" + dead_text(level_dead_cells(rows)) + "\",\"link\":" + json_string(level_link(rows)) +
                  ",\"undo\":" + (s.editor.undo_stack.empty() ? "false" : "true") +
                  ",\"redo\":" + (s.editor.redo_stack.empty() ? "false" : "true") + "}");
}

EMSCRIPTEN_KEEPALIVE int ed_paint(int row, int col, int piece)
{
    return editor_paint(web_session().editor, row, col, static_cast<char>(piece)) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void ed_begin_stroke()
{
    editor_begin_stroke(web_session().editor);
}

EMSCRIPTEN_KEEPALIVE void ed_end_stroke()
{
    editor_end_stroke(web_session().editor);
}

EMSCRIPTEN_KEEPALIVE int ed_undo()
{
    return editor_undo(web_session().editor) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int ed_redo()
{
    return editor_redo(web_session().editor) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* ed_set_name(const char* name)
{
    std::string problem;
    return outcome(editor_set_name(web_session().editor, name, problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_set_about(const char* typed)
{
    std::string problem;
    return outcome(editor_set_about(web_session().editor, about_blocks(typed), problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_set_reference(int which, const char* name)
{
    std::string problem;
    if (which < 0 || which >= REF_COUNT) return answer("no such reference");
    return outcome(editor_set_reference(web_session().editor, static_cast<Level_reference>(which), name, problem),
                   problem);
}

// The pack's bytes are put in the module's files by the page first.
EMSCRIPTEN_KEEPALIVE const char* ed_open_pack(const char* path, const char* file_name)
{
    std::string problem;
    return outcome(session_open_pack(web_session(), file_bytes(path), file_name, problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_open_link(const char* link)
{
    std::string problem;
    return outcome(session_open_link(web_session(), link, problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_new_pack()
{
    Editor_session& s = web_session();
    s.pack = new_pack();
    s.current = 0;
    editor_open(s.editor, s.pack.levels[0]);
    return answer("");
}

EMSCRIPTEN_KEEPALIVE const char* ed_select(int position)
{
    std::string problem;
    return outcome(session_select_level(web_session(), static_cast<size_t>(position), problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_add(int position)
{
    std::string problem;
    return outcome(session_add_level(web_session(), static_cast<size_t>(position), problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_remove(int position)
{
    std::string problem;
    return outcome(session_remove_level(web_session(), static_cast<size_t>(position), problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_move(int from, int to)
{
    std::string problem;
    return outcome(session_move_level(web_session(), static_cast<size_t>(from), static_cast<size_t>(to), problem),
                   problem);
}

// The level being drawn is renamed through its editor, so undo knows it.
EMSCRIPTEN_KEEPALIVE const char* ed_rename(int position, const char* name)
{
    Editor_session& s = web_session();
    std::string problem;
    if (static_cast<size_t>(position) == s.current) return outcome(editor_set_name(s.editor, name, problem), problem);
    return outcome(pack_rename_level(s.pack, static_cast<size_t>(position), name, problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_set_pack_name(const char* name)
{
    std::string problem;
    return outcome(pack_set_name(web_session().pack, name, problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* ed_set_pack_about(const char* typed)
{
    std::string problem;
    return outcome(pack_set_about(web_session().pack, about_blocks(typed), problem), problem);
}

// The pack as the writer writes it, into `path` for the page to hand out.
EMSCRIPTEN_KEEPALIVE const char* ed_save(const char* path)
{
    std::string text, problem;
    if (session_save(web_session(), text, problem) != 0) return answer(problem);
    if (write_file(path, text) != 0) return answer("the pack could not be written");
    return answer("");
}

EMSCRIPTEN_KEEPALIVE const char* ed_store_solution(const char* moves)
{
    std::string problem;
    return outcome(session_store_solution(web_session(), moves, problem), problem);
}

} // extern "C"
