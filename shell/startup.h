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

// Magnification 1 to 4; a stored value outside that range is brought into it.
int clamp_magnification(int factor);
