#include "shell/title_banner.h"

#include "engine/game_state.h"

namespace
{

constexpr int BANNER_RIGHT_MARGIN = 8;
constexpr int BANNER_BASELINE = 32;
constexpr int BANNER_ICON_OFFSET = 40;
constexpr int BANNER_ICON_TOP = 8;

} // namespace

bool banner_shown(const Game_state& state)
{
    return state.mode == MODE_TITLE;
}

Banner_layout banner_layout(const Game_state& state, int text_width)
{
    int x = state.display_width * state.magnify - BANNER_RIGHT_MARGIN - text_width;
    return Banner_layout{x, BANNER_BASELINE, x - BANNER_ICON_OFFSET, BANNER_ICON_TOP};
}
