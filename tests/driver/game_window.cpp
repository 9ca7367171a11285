// Finding the game window and the dialogs and message boxes it opens, and
// reading their texts, from another process.
#include <cstring>

#include "tests/driver/driver.h"

namespace
{

const char DIALOG_CLASS[] = "#32770";

struct Box_search {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK find_box_of_process(HWND window, LPARAM param)
{
    Box_search* search = reinterpret_cast<Box_search*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->process_id && std::strcmp(name, DIALOG_CLASS) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string class_name(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A button label as the box shows it, without its mnemonic mark.
std::string plain_label(const std::string& label)
{
    std::string plain;
    for (char c : label)
        if (c != '&') plain += c;
    return plain;
}

std::vector<HWND> children_of_class(HWND parent, const char* wanted)
{
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(class_name(child).c_str(), wanted) == 0) found.push_back(child);
    return found;
}

} // namespace

HWND find_game_window(const Driver& d)
{
    HWND window = FindWindowA(d.window_class.c_str(), nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

std::string window_text(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND find_box(const Driver& d)
{
    Box_search search{d.process_id, nullptr};
    EnumWindows(find_box_of_process, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The texts of a box's static controls, one line each; icons have none.
std::string box_text(HWND box)
{
    std::string text;
    for (HWND label : children_of_class(box, "Static")) {
        std::string line = window_text(label);
        if (line.empty()) continue;
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

std::vector<HWND> box_buttons(HWND box)
{
    return children_of_class(box, "Button");
}

HWND find_button(HWND box, const std::string& label)
{
    for (HWND button : box_buttons(box))
        if (IsWindowVisible(button) && plain_label(window_text(button)) == plain_label(label)) return button;
    return nullptr;
}

HWND find_edit(HWND box, int id)
{
    HWND edit = GetDlgItem(box, id);
    return edit && _stricmp(class_name(edit).c_str(), "Edit") == 0 ? edit : nullptr;
}

// An edit field keeps its text to itself: it must be asked, across processes.
std::string edit_text(HWND edit)
{
    char text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
    return text;
}

bool client_size(HWND window, int* width, int* height)
{
    RECT r{};
    if (!GetClientRect(window, &r)) return false;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return true;
}
