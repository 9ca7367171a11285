// The title screen's banner: a line of text in the top right corner with
// the banner icon to its left, drawn over the title board after each paint.
#pragma once

#include <cstdint>

struct Game_state;

constexpr const char* BANNER_TEXT = "Internet Enabled";
constexpr uint32_t BANNER_RGB = 0xFFFFFF;

// Device pixels of the client area. The text is left-aligned on its
// baseline; the icon's top-left corner is given.
struct Banner_layout {
    int text_x;
    int text_baseline;
    int icon_x;
    int icon_y;
};

// Only the title screen carries the banner.
bool banner_shown(const Game_state& state);
// Where the banner goes for a text `text_width` pixels wide in the
// platform's own font: the text ends 8 pixels short of the right edge, the
// icon stands 40 pixels left of the text. Neither is magnified.
Banner_layout banner_layout(const Game_state& state, int text_width);
