// The program's entry in the page: the stored files first, then the game's
// own start-up, loop and shutdown; the page is told when the game has ended.
#include <emscripten.h>

#include "engine/game_state.h"
#include "shell/startup.h"
#include "shell/web/web_shell.h"

int main()
{
    load_stored_files();
    char program[] = "zandrek";
    char* argv[] = {program, nullptr};
    run_program(the_game(), 1, argv);
    EM_ASM({ ZandrekPage.gameEnded(); });
    return 0;
}
