// What each implementation of shell/platform.h gives the contract cases
// (platform_contract.cpp) so they can watch it keep its promises. The
// off-screen platform defines these in platform_contract_offscreen.cpp.
#pragma once

#include <cstdint>

// A fresh platform: settings open and empty, the main window made with its
// menu attached, the working directory an empty scratch folder of its own.
void contract_start();
void contract_finish();
// Main-thread time passes: the device plays and timers fire as they come due.
void contract_let_time_pass(int milliseconds);
// Boxes and dialogs stay open this long before they are answered.
void contract_keep_boxes_open(int milliseconds);
// The menu item's state as the menu shows it (Menu_item_state bits).
uint32_t contract_menu_state(int id);
// Empty when the implementation can keep the sound promises here, else why not.
const char* contract_no_sound_because();
