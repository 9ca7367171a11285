// The program's life: start-up in its fixed order, the message loop, and
// shutdown in the reverse order of what start-up made.
#pragma once

struct Game_state;

// argv[1], when given, is a delay in seconds before anything else. Always 0.
int run_program(Game_state& state, int argc, char** argv);

// The halves of run_program around its message loop. start_program: 0 when
// the loop may run, -1 when start-up ended (its box, if any, was shown).
int start_program(Game_state& state, int argc, char** argv);
void shut_down_program(Game_state& state);

// The delay argv[1] asks for, in milliseconds: its leading number of
// seconds, none below 0 and at most MAX_STARTUP_DELAY_SECONDS.
constexpr int MAX_STARTUP_DELAY_SECONDS = 2147483; // the most whose milliseconds fit an int
int startup_delay_ms(const char* argument);

// Magnification 1 to 4; a stored value outside that range is brought into it.
int clamp_magnification(int factor);
