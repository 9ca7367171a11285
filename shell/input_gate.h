// Which window messages reach the game while a message box or dialog is
// open. Boxes and dialogs run loops of their own that still bring the main
// window its messages; paint, timer and palette messages go through, and
// keys, clicks and menu commands are dropped, never held back for later.
#pragma once

enum Window_message_kind {
    MESSAGE_PAINT,
    MESSAGE_TIMER,
    MESSAGE_PALETTE,
    MESSAGE_INPUT, // keys, characters, mouse buttons and motion
    MESSAGE_MENU_COMMAND,
};

// `boxes_open`: how many boxes and dialogs are open now.
bool message_reaches_game(Window_message_kind kind, int boxes_open);
