#include "shell/menus.h"

#include <string>
#include <vector>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/move_rules.h"
#include "presentation/draw.h"
#include "resources/resource_ids.h"
#include "shell/help_pages.h"
#include "shell/platform.h"

namespace
{

constexpr int PACK_ITEM_STRIDE = 100;
constexpr uint16_t NOTHING_TO_UNDO = 0xFFFF;

void speech_switch(Game_state& state)
{
    state.sound.speech_on = !state.sound.speech_on;
    platform_menu_check(MENU_SPEECH, state.sound.speech_on);
}
void motion_switch(Game_state& state)
{
    state.sound.motion_sounds_on = !state.sound.motion_sounds_on;
    platform_menu_check(MENU_MOTION_SOUNDS, state.sound.motion_sounds_on);
}

void undo_command(Game_state& state)
{
    if (state.mode == MODE_PLAY) undo_push(state);
}
void restart_command(Game_state& state)
{
    if (state.mode == MODE_PLAY) restart_level(state);
}

void player_command(Game_state& state)
{
    if (choose_player(state) == -1) return;
    goto_level(state, state.start_level);
}

// Quick Help and About leave the title and finished screens where they were,
// so that a key afterwards goes where it went before.
void screen_keeping_mode(Game_state& state, void (*show)(Game_state&))
{
    int32_t before = state.mode;
    show(state);
    if (before != MODE_PLAY) state.mode = before;
}

struct Command {
    int id;
    void (*run)(Game_state&);
};
const Command COMMANDS[] = {
    {MENU_UNDO, undo_command},
    {MENU_RESTART, restart_command},
    {MENU_EXIT, [](Game_state&) { platform_quit(); }},
    {MENU_LATEST_VERSION, [](Game_state&) { open_url(NEWS_PAGE_URL); }},
    {MENU_NEXT_LEVEL, next_level},
    {MENU_PREVIOUS_LEVEL, previous_level},
    {MENU_PLAYER_NAME, player_command},
    {MENU_SPEECH, speech_switch},
    {MENU_MOTION_SOUNDS, motion_switch},
    {MENU_QUICK_HELP, [](Game_state& s) { screen_keeping_mode(s, show_help); }},
    {MENU_HELP_CONTENTS, [](Game_state&) { open_help_page(); }},
    {MENU_ABOUT, [](Game_state& s) { screen_keeping_mode(s, show_about); }},
    {MENU_WEBSITE, [](Game_state&) { open_url(GAME_PAGE_URL); }},
    {MENU_MAKER_WEBSITE, [](Game_state&) { open_url(MAKER_PAGE_URL); }},
    {MENU_LEVEL_SOLUTIONS, [](Game_state&) { show_level_solutions(); }},
    {MENU_RECENT_NEWS, [](Game_state&) { open_url(NEWS_PAGE_URL); }},
};

uint32_t level_state(const Game_state& state, int number, int highest, bool current)
{
    if (state.mode != MODE_PLAY || number > highest) return MENU_ITEM_GREYED;
    return current ? MENU_ITEM_CHECKED : MENU_ITEM_ENABLED;
}

uint32_t greyed_unless(bool enabled)
{
    return enabled ? MENU_ITEM_ENABLED : MENU_ITEM_GREYED;
}

} // namespace

int level_item_id(int pack_number, int level_number)
{
    return MENU_LEVEL_BASE + PACK_ITEM_STRIDE * pack_number + level_number;
}

void set_magnification(Game_state& state, int factor)
{
    int old = state.magnify;
    state.magnify = factor;
    platform_size_client(state.display_width * factor, state.display_height * factor);
    platform_menu_check(MENU_MAGNIFY_BASE + old, false);
    platform_menu_check(MENU_MAGNIFY_BASE + factor, true);
    reg_set_dword("magnify", static_cast<uint32_t>(factor));
}

void update_menu_states(Game_state& state)
{
    for (int n = 1; n <= BUILTIN_LEVELS; ++n)
        platform_menu_set_state(level_item_id(0, n),
                                level_state(state, n, state.max_level, !state.pack && n == state.play_board.number));
    for (Pack_info* pack = state.packs.get(); pack; pack = pack->next.get())
        for (Level_info* level = pack->levels.get(); level; level = level->next.get())
            platform_menu_set_state(level_item_id(pack->number, level->number),
                                    level_state(state, level->number, pack->highest_level,
                                                pack == state.pack && level == pack->current_level));
    bool play = state.mode == MODE_PLAY;
    const int current = current_number(state);
    const int last_open = state.pack ? state.pack->highest_level : state.max_level;
    platform_menu_set_state(MENU_NEXT_LEVEL, greyed_unless(play && current < last_open));
    platform_menu_set_state(MENU_PREVIOUS_LEVEL, greyed_unless(play && current > 1));
    platform_menu_set_state(
        MENU_UNDO, greyed_unless(play && static_cast<uint16_t>(state.play_board.undo_player_after) != NOTHING_TO_UNDO));
    platform_menu_set_state(MENU_RESTART, greyed_unless(play));
}

void build_level_menu(Game_state& state, int item_id, int first, int last)
{
    std::vector<uint8_t> image(tile_buffer_bytes(state));
    if (!platform_get_draw_dc()) return;
    Platform_menu popup = platform_menu_create_popup();
    if (!popup) return;
    for (int n = first; n <= last; ++n) {
        // The play board is overwritten: harmless before a level is entered.
        read_board_record(state, state.play_board, n);
        uint16_t tile = state.play_board.kind_tiles[KIND_TREASURE];
        if (tile < state.tile_table.size() && !image.empty())
            read_tile_image(state, image.data(), image.size(), state.tile_table[tile]);
        platform_menu_append_picture(popup, level_item_id(0, n), state.draw.tile_dib, image.data());
    }
    platform_menu_attach_submenu(item_id, popup);
}

void build_pack_menus(Game_state& state)
{
    if (!platform_get_draw_dc()) return;
    int base = MENU_LEVEL_BASE + PACK_ITEM_STRIDE;
    std::vector<uint8_t> padded;
    for (Pack_info* pack = state.packs.get(); pack; pack = pack->next.get()) {
        Platform_menu popup = platform_menu_create_popup();
        if (!popup) return; // this pack and every later one stay without a submenu and progress
        int i = 1;
        for (Level_info* level = pack->levels.get(); level; level = level->next.get(), ++i) {
            Pack_tile* tile = resolve_tile(*pack, level->treasure_tile);
            if (!tile) {
                platform_menu_append_text(popup, base + i, "???");
                continue;
            }
            // A tile without its pixels makes no bitmap: an item without a picture.
            bool whole = tile->width > 0 && tile->height > 0 &&
                         tile->pixels.size() >= static_cast<size_t>(tile->width) * static_cast<size_t>(tile->height);
            Dib_header& header = state.draw.tile_dib.header;
            int32_t w = header.width, h = header.height;
            header.width = tile->width;
            header.height = -tile->height;
            platform_menu_append_picture(popup, base + i, state.draw.tile_dib,
                                         whole ? pack_tile_rows(*tile, padded) : nullptr);
            header.width = w;
            header.height = h;
        }
        platform_menu_append_to_level_menu(popup, pack->name);
        uint32_t highest = 0;
        if (reg_get_dword(("solved:" + std::string(pack->name)).c_str(), &highest) == 1)
            pack->highest_level = static_cast<int32_t>(highest);
        base += PACK_ITEM_STRIDE;
    }
}

void free_menu_bitmaps(Game_state& state)
{
    for (int n = 1; n <= BUILTIN_LEVELS; ++n)
        platform_menu_free_picture(level_item_id(0, n));
    for (Pack_info* pack = state.packs.get(); pack; pack = pack->next.get())
        for (Level_info* level = pack->levels.get(); level; level = level->next.get())
            platform_menu_free_picture(level_item_id(pack->number, level->number));
}

void run_menu_command(Game_state& state, int id)
{
    if (id > MENU_LEVEL_BASE && id <= MENU_LEVEL_LAST) {
        // The base is a whole number of strides: the level is the id's own remainder.
        select_level_set(state, (id - MENU_LEVEL_BASE) / PACK_ITEM_STRIDE, id % PACK_ITEM_STRIDE);
        return;
    }
    if (id >= MENU_MAGNIFY_1 && id <= MENU_MAGNIFY_4) {
        set_magnification(state, id - MENU_MAGNIFY_BASE);
        return;
    }
    for (const Command& c : COMMANDS)
        if (c.id == id) c.run(state);
}
