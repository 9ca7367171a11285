// The menu bar in the browser: the page builds it from the resource script's
// menu; here are the item states, check marks and the level picture menus.
#include <emscripten.h>

#include <cstdlib>
#include <vector>

#include "shell/platform.h"

namespace
{

EM_JS(void, web_menu_state, (int id, uint32_t state), { ZandrekPage.menus.setState(id, state); });
EM_JS(void, web_menu_check, (int id, int checked), { ZandrekPage.menus.check(id, checked); });
EM_JS(int, web_menu_popup, (), { return ZandrekPage.menus.createPopup(); });
EM_JS(void, web_menu_picture, (int popup, int id, const uint8_t* rgba, int width, int height),
      { ZandrekPage.menus.appendPicture(popup, id, rgba, width, height); });
EM_JS(void, web_menu_text, (int popup, int id, const char* text),
      { ZandrekPage.menus.appendText(popup, id, UTF8ToString(text)); });
EM_JS(void, web_menu_attach, (int item_id, int popup), { ZandrekPage.menus.attachSubmenu(item_id, popup); });
EM_JS(void, web_menu_append_level, (int popup, const char* title),
      { ZandrekPage.menus.appendToLevelMenu(popup, UTF8ToString(title)); });

// The 8-bit rows through the header's colour table, top row first.
std::vector<uint8_t> picture_rgba(const Tile_dib& dib, const uint8_t* bits, int width, int height)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    size_t stride = static_cast<size_t>((width + 3) & ~3);
    bool top_down = dib.header.height < 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bits + stride * static_cast<size_t>(top_down ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const Rgb_quad& c = dib.colours[row[x]];
            uint8_t* out = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            out[0] = c.red, out[1] = c.green, out[2] = c.blue, out[3] = 0xFF;
        }
    }
    return rgba;
}

int popup_number(Platform_menu popup)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(popup));
}

} // namespace

void platform_menu_set_state(int id, uint32_t state)
{
    web_menu_state(id, state);
}

void platform_menu_check(int id, bool checked)
{
    web_menu_check(id, checked ? 1 : 0);
}

Platform_menu platform_menu_create_popup()
{
    // Popups are numbered from 1, so none is the null that means failure.
    return reinterpret_cast<Platform_menu>(static_cast<intptr_t>(web_menu_popup()));
}

void platform_menu_append_picture(Platform_menu popup, int id, const Tile_dib& dib, const uint8_t* bits)
{
    int width = dib.header.width, height = std::abs(dib.header.height);
    if (!bits || width <= 0 || height <= 0) {
        web_menu_text(popup_number(popup), id, "");
        return;
    }
    std::vector<uint8_t> rgba = picture_rgba(dib, bits, width, height);
    web_menu_picture(popup_number(popup), id, rgba.data(), width, height);
}

void platform_menu_append_text(Platform_menu popup, int id, const char* text)
{
    web_menu_text(popup_number(popup), id, text);
}

void platform_menu_attach_submenu(int item_id, Platform_menu popup)
{
    web_menu_attach(item_id, popup_number(popup));
}

void platform_menu_append_to_level_menu(Platform_menu popup, const char* title)
{
    web_menu_append_level(popup_number(popup), title);
}

// The pictures are the page's own elements and go with the menu bar.
void platform_menu_free_picture(int) {}
