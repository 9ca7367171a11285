#include "shell/input_gate.h"

bool message_reaches_game(Window_message_kind kind, int boxes_open)
{
    switch (kind) {
    case MESSAGE_PAINT:
    case MESSAGE_TIMER:
    case MESSAGE_PALETTE: return true;
    case MESSAGE_INPUT:
    case MESSAGE_MENU_COMMAND: return boxes_open == 0;
    }
    return false;
}
