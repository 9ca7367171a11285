// The news check on Windows: the HEAD exchange through WinInet, the task the
// news thread runs, and the news dialog.
// clang-format off
#include <windows.h>
#include <wininet.h>
// clang-format on

#include <cstdlib>
#include <cstring>

#include "engine/game_state.h"
#include "shell/news_check.h"
#include "shell/platform.h"
#include "shell/win32/news_thread.h"
#include "shell/win32/win32_shell.h"

namespace
{

const char NEWS_AGENT[] = "Ostrovane Software Inc.";
const char NEWS_HOST[] = "www.ostrovane.example";
const INTERNET_PORT NEWS_PORT = INTERNET_DEFAULT_HTTP_PORT;
// Sent as both user name and password; 23 characters.
const char NEWS_CREDENTIAL[] = "ostrovane.zandrek.guest";
static_assert(sizeof NEWS_CREDENTIAL == 24, "the credential is 23 characters");
const char NEWS_OBJECT[] = "/zandrek/latest-v4.0.html";
const DWORD NEWS_REQUEST_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_EXISTING_CONNECT;
static_assert(NEWS_REQUEST_FLAGS == 0xE0000000, "reload, raw data, existing connection");
// Developers point the check at a server of their own, "host" or "host:port";
// the request itself stays the same.
const char NEWS_SERVER_VARIABLE[] = "ZANDREK_NEWS_SERVER";

void news_server(char* host, DWORD capacity, INTERNET_PORT* port)
{
    std::strcpy(host, NEWS_HOST);
    *port = NEWS_PORT;
    char given[256];
    DWORD length = GetEnvironmentVariableA(NEWS_SERVER_VARIABLE, given, sizeof given);
    if (length == 0 || length >= sizeof given || length >= capacity) return;
    char* colon = std::strrchr(given, ':');
    if (colon) {
        *colon = '\0';
        long number = std::strtol(colon + 1, nullptr, 10);
        if (number > 0 && number <= 65535) *port = static_cast<INTERNET_PORT>(number);
    }
    if (given[0]) std::strcpy(host, given);
}

class Http_session final : public News_session
{
  public:
    Http_session() = default;
    Http_session(const Http_session&) = delete;
    Http_session& operator=(const Http_session&) = delete;
    ~Http_session()
    {
        if (!closed) close();
    }

    bool send_head() override
    {
        internet = InternetOpenA(NEWS_AGENT, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        if (!internet) {
            closed = true;
            return false;
        }
        char host[256];
        INTERNET_PORT port = 0;
        news_server(host, sizeof host, &port);
        connection =
            InternetConnectA(internet, host, port, NEWS_CREDENTIAL, NEWS_CREDENTIAL, INTERNET_SERVICE_HTTP, 0, 0);
        const char* accepted[] = {"*/*", nullptr};
        if (connection)
            request =
                HttpOpenRequestA(connection, "HEAD", NEWS_OBJECT, "HTTP/1.0", nullptr, accepted, NEWS_REQUEST_FLAGS, 0);
        if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return true;
        close();
        return false;
    }
    char* text() override { return buffer; }
    bool query_status() override { return query(HTTP_QUERY_STATUS_CODE); }
    bool query_header() override { return query(HTTP_QUERY_CUSTOM); }
    void close() override
    {
        // Request, connection, then the internet handle: each belongs to the next.
        if (request) InternetCloseHandle(request);
        if (connection) InternetCloseHandle(connection);
        if (internet) InternetCloseHandle(internet);
        request = connection = internet = nullptr;
        closed = true;
    }

    bool hold_settings() override { return news_hold_settings(); }
    void release_settings() override { news_release_settings(); }
    bool read_stored_date(char* stored, uint32_t capacity) override
    {
        return reg_get_string(NEWS_DATE_VALUE, stored, capacity) == 1;
    }
    void store_date(const char* date) override { reg_set_string(NEWS_DATE_VALUE, date); }

  private:
    bool query(DWORD what)
    {
        DWORD length = sizeof buffer;
        return HttpQueryInfoA(request, what, buffer, &length, nullptr) != FALSE;
    }

    HINTERNET internet = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    char buffer[NEWS_TEXT_BYTES] = {};
    bool closed = false;
};

class News_check final : public Background_task
{
  public:
    void run() override
    {
        Http_session session;
        check_news(session);
    }
};

// Only Yes and No end the dialog: Escape and the close box send a Cancel
// command, which is taken and ignored.
INT_PTR CALLBACK news_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wparam) == IDYES) EndDialog(dialog, 1);
    if (LOWORD(wparam) == IDNO) EndDialog(dialog, 0);
    return TRUE;
}

// The one task of the run, there before WinMain starts.
News_check news_check;
// From early in start-up, before COM and the window, to the very end of
// shutdown, or to an early end.
Task_thread* news_thread = nullptr;

} // namespace

void platform_start_news_check()
{
    news_thread = new Task_thread(news_check);
}

void platform_close_news_check()
{
    delete news_thread;
    news_thread = nullptr;
}

int platform_news_dialog()
{
    // At shutdown the main window is gone and the dialog stands on its own.
    HWND owner = win32_shell().main_window;
    // At shutdown the destroyed window has posted a quit, which would end
    // the dialog's own message loop before it shows; the game loop is over.
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    INT_PTR answer = DialogBoxParamA(win32_shell().instance, "DLG_NEWS", owner, news_dialog_proc, 0);
    return answer == 1 || answer == 0 ? static_cast<int>(answer) : -1;
}
