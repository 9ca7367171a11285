#include "engine/game_state.h"
#include "engine/services.h"

// First cut: sounds are not played yet.
int play_speech(Game_state&, uint8_t) { return 0; }
int play_motion_sound(Game_state&, uint8_t) { return 0; }
int play_pack_sound(Game_state&, const Pack_sound*) { return 0; }
