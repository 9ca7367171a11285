#include "shell/help_pages.h"

#include <cstdio>
#include <string>

#include "engine/game_state.h"
#include "shell/error_text.h"
#include "shell/message_box.h"
#include "shell/platform.h"

namespace
{

constexpr int CURRENT_DIRECTORY_CAPACITY = 260;

std::string beside_game(const char* file)
{
    char directory[CURRENT_DIRECTORY_CAPACITY] = {};
    platform_current_directory(directory, CURRENT_DIRECTORY_CAPACITY);
    return std::string(directory) + "\\" + file;
}

const char* const SOLUTIONS_OFFER = "YES, YOU MAY NOT BELIEVE IT, BUT ALL THE LEVELS ARE SOLVABLE!\n\n"
                                    "A hint book containing complete solutions to most of the\n"
                                    "levels is available from the Zandrek website.\n\n"
                                    "Would you like to go directly to the\n"
                                    "Zandrek web site for more details?\n";

} // namespace

void open_url(const char* url)
{
    int result = platform_open_url(url);
    if (result < 0) report_error("Error invoking URL", error_text(result));
}

void open_help_page()
{
    open_url(beside_game(HELP_PAGE_FILE).c_str());
}

void show_level_solutions()
{
    FILE* book = std::fopen(HINT_BOOK_FILE, "rb");
    if (!book) {
        if (platform_message_box(SOLUTIONS_OFFER, "Zandrek Level Solutions", BOX_QUESTION) == ANSWER_YES)
            open_url(GAME_PAGE_SHORT_URL);
        return;
    }
    std::fclose(book);
    platform_open_help_file(beside_game(HINT_BOOK_FILE).c_str());
}
