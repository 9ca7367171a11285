// The menu bar's items: states, check marks, and the level picture popups.
#include <cstdint>

#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

namespace
{

constexpr int LEVEL_MENU_POSITION = 1;

UINT item_state(int id)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoA(win32_shell().main_menu, static_cast<UINT>(id), FALSE, &info)) return 0;
    return info.fState;
}

} // namespace

void platform_menu_set_state(int id, uint32_t state)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = state;
    SetMenuItemInfoA(win32_shell().main_menu, static_cast<UINT>(id), FALSE, &info);
}

void platform_menu_check(int id, bool checked)
{
    HMENU menu = win32_shell().main_menu;
    MENUITEMINFOA probe{};
    probe.cbSize = sizeof probe;
    probe.fMask = MIIM_STATE;
    if (!menu || !GetMenuItemInfoA(menu, static_cast<UINT>(id), FALSE, &probe)) return;
    UINT state = item_state(id);
    platform_menu_set_state(id, checked ? (state | MFS_CHECKED) : (state & ~UINT{MFS_CHECKED}));
}

Platform_menu platform_menu_create_popup()
{
    return CreatePopupMenu();
}

void platform_menu_append_picture(Platform_menu popup, int id, const Tile_dib& dib, const uint8_t* bits)
{
    HBITMAP bitmap = nullptr;
    if (bits)
        bitmap = CreateDIBitmap(win32_shell().draw_dc, reinterpret_cast<const BITMAPINFOHEADER*>(&dib.header), CBM_INIT,
                                bits, reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS);
    HMENU menu = static_cast<HMENU>(popup);
    if (bitmap)
        AppendMenuA(menu, MF_BITMAP | MF_GRAYED, static_cast<UINT_PTR>(id), reinterpret_cast<LPCSTR>(bitmap));
    else
        AppendMenuA(menu, MF_STRING | MF_GRAYED, static_cast<UINT_PTR>(id), "");
}

void platform_menu_append_text(Platform_menu popup, int id, const char* text)
{
    AppendMenuA(static_cast<HMENU>(popup), MF_STRING | MF_GRAYED, static_cast<UINT_PTR>(id), text);
}

void platform_menu_attach_submenu(int item_id, Platform_menu popup)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = static_cast<HMENU>(popup);
    SetMenuItemInfoA(win32_shell().main_menu, static_cast<UINT>(item_id), FALSE, &info);
}

void platform_menu_append_to_level_menu(Platform_menu popup, const char* title)
{
    AppendMenuA(GetSubMenu(win32_shell().main_menu, LEVEL_MENU_POSITION), MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                title);
}

void platform_menu_free_picture(int id)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    if (!GetMenuItemInfoA(win32_shell().main_menu, static_cast<UINT>(id), FALSE, &info)) return;
    if ((info.fType & MFT_BITMAP) && info.dwTypeData) DeleteObject(reinterpret_cast<HBITMAP>(info.dwTypeData));
}
