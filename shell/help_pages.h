// The browser and the help viewer: the maker's web pages, the local help
// page beside the game, and the level-solutions help file.
#pragma once

#define ZANDREK_SITE "http://www.ostrovane.example"
constexpr const char* NEWS_PAGE_URL = ZANDREK_SITE "/zandrek/latest-v4.0.html";
constexpr const char* GAME_PAGE_URL = ZANDREK_SITE "/zandrek/";
constexpr const char* MAKER_PAGE_URL = ZANDREK_SITE;
constexpr const char* GAME_PAGE_SHORT_URL = ZANDREK_SITE "/zandrek";
constexpr const char* HELP_PAGE_FILE = "zandhelp.html";
constexpr const char* HINT_BOOK_FILE = "HintBook.hlp";

// Hands the URL to the browser; a refusal shows "Error invoking URL: ...".
void open_url(const char* url);
// open_help_page is the engine's and is declared in engine/game_state.h.
void show_level_solutions();
