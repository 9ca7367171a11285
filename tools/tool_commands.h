// The subcommands of zandrek-tool, one file each (tools/cmd_*.cpp).
#pragma once

// Each takes the arguments after the subcommand's name and returns the exit
// status: 0 success, 1 failure or a refused input, 2 where a command says so.
int cmd_levels(int argc, char** argv);
int cmd_play(int argc, char** argv);
int cmd_check(int argc, char** argv);
int cmd_build_map(int argc, char** argv);
int cmd_map(int argc, char** argv);
int cmd_score(int argc, char** argv);
int cmd_render(int argc, char** argv);
int cmd_sound(int argc, char** argv);
int cmd_solve(int argc, char** argv);
int cmd_generate(int argc, char** argv);
