#include "files/asset_discovery.h"

#include "engine/game_state.h"
#include "files/map_file.h"
#include "files/pack_reader.h"
#include "shell/platform.h"

int set_file_names(Game_state& state)
{
    state.map_file_name = MAP_FILE_NAME;
    state.score_file_name = SCORE_FILE_NAME;
    return 0;
}

int load_assets(Game_state& state, File_diagnostics& diagnostics)
{
    if (read_map_file(state, diagnostics) != 0) return -1;
    platform_find_first(PACK_PATTERN);
    // A name longer than the buffer is cut and then names no file; that pack
    // is left out like any other unreadable one.
    char name[128];
    while (platform_find_next(name, sizeof name) == 0)
        read_pack(state, name);
    return 0;
}
