// Message boxes, the player name dialog, the browser hand-over and the help
// viewer: everything that opens a window of its own over the game.
#include <ole2.h>
// clang-format off
#include <intshcut.h>
// clang-format on

#include <cstring>

#include "engine/game_state.h"
#include "resources/resource_ids.h"
#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

namespace
{

struct Box_kind {
    Box_style style;
    UINT flags;
    bool owned;
};
const Box_kind BOX_KINDS[] = {
    {BOX_INFO, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND, true},
    {BOX_WARN, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND, true},
    {BOX_ERROR, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND, false},
    {BOX_STOP, MB_OK | MB_ICONHAND, true},
    {BOX_QUESTION, MB_YESNO | MB_ICONINFORMATION | MB_SETFOREGROUND, true},
};

// The nested loop of a box or dialog: input to the main window waits.
struct Modal_scope {
    Modal_scope() { win32_shell().modal_depth += 1; }
    ~Modal_scope() { win32_shell().modal_depth -= 1; }
    Modal_scope(const Modal_scope&) = delete;
    Modal_scope& operator=(const Modal_scope&) = delete;
};

constexpr int NAME_FIELD_CAPACITY = 15; // 14 characters and the terminating zero
char* dialog_name = nullptr;

INT_PTR CALLBACK player_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: SetDlgItemTextA(dialog, PLAYER_DIALOG_EDIT, dialog_name); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            GetDlgItemTextA(dialog, PLAYER_DIALOG_EDIT, dialog_name, NAME_FIELD_CAPACITY);
            EndDialog(dialog, 0);
        } else if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, -1);
        }
        return TRUE;
    case WM_HELP: open_help_page(); return TRUE;
    default: return FALSE;
    }
}

} // namespace

int platform_message_box(const char* text, const char* caption, Box_style style)
{
    const Box_kind* kind = &BOX_KINDS[0];
    for (const Box_kind& k : BOX_KINDS)
        if (k.style == style) kind = &k;
    Modal_scope modal;
    return MessageBoxA(kind->owned ? win32_shell().main_window : nullptr, text, caption, kind->flags);
}

int platform_player_name_dialog(char* buffer, int)
{
    dialog_name = buffer;
    Modal_scope modal;
    INT_PTR result =
        DialogBoxParamA(win32_shell().instance, "PLYRDLG", win32_shell().main_window, player_dialog_proc, 0);
    return result == 0 ? 0 : -1;
}

int invoke_url_locator(IUniformResourceLocatorA* locator, HWND owner, const char* url)
{
    HRESULT result = locator->SetURL(url, 0);
    if (FAILED(result)) {
        locator->Release();
        return static_cast<int>(result);
    }
    URLINVOKECOMMANDINFOA info{};
    info.dwcbSize = sizeof info; // 16 bytes on 32-bit Windows, 24 on 64-bit
    info.dwFlags = IURL_INVOKECOMMAND_FL_ALLOW_UI | IURL_INVOKECOMMAND_FL_USE_DEFAULT_VERB;
    info.hwndParent = owner;
    info.pcszVerb = nullptr;
    result = locator->InvokeCommand(&info);
    locator->Release();
    return FAILED(result) ? static_cast<int>(result) : 0;
}

int invoke_url(HWND owner, const char* url)
{
    // Initialised on every use and never balanced, as the game always did.
    HRESULT result = CoInitialize(nullptr);
    if (FAILED(result)) return static_cast<int>(result);
    IUniformResourceLocatorA* locator = nullptr;
    result = CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                              IID_IUniformResourceLocatorA, reinterpret_cast<void**>(&locator));
    if (FAILED(result)) return static_cast<int>(result);
    Modal_scope modal;
    return invoke_url_locator(locator, owner, url);
}

int platform_open_url(const char* url)
{
    return invoke_url(win32_shell().main_window, url);
}

void platform_open_help_file(const char* path)
{
    WinHelpA(win32_shell().main_window, path, HELP_INDEX, 0);
}
