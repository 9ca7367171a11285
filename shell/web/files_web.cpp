// The files in the browser. The game's folder (/zandrek, the working
// directory) is in memory and holds the preloaded map and sample pack, which
// are never stored. What a player makes is kept in IndexedDB under
// /zandrek-stored: the score file (and a damaged one kept aside) and the
// packs they add. The stored copy is loaded before the game reads anything.
#include <emscripten.h>

#include <string>

#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "shell/web/web_shell.h"

namespace
{

EM_ASYNC_JS(void, web_load_stored_files, (), { await ZandrekPage.files.load(); });
EM_JS(void, web_store_changed, (), { ZandrekPage.files.storeChanged(); });

} // namespace

void persist_changed_files()
{
    web_store_changed();
}

void load_stored_files()
{
    web_load_stored_files();
}

// The page asks before it keeps a pack a player adds: an empty string when
// the game's reader takes it, else the reader's own diagnostic.
extern "C" EMSCRIPTEN_KEEPALIVE const char* web_check_pack(const char* name, const char* data, int size)
{
    static std::string answer;
    Pack_diagnostic diagnostic;
    answer.clear();
    if (!read_pack_bytes(data, static_cast<size_t>(size), &diagnostic))
        answer = describe_pack_failure(name, diagnostic);
    return answer.c_str();
}
