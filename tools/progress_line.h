// The progress line of long tool runs on standard error: on a terminal one
// line rewritten in place, shown once the work has taken a second; in a log,
// a line of its own every ten seconds.
#pragma once

struct Progress_line {
    bool quiet = false;
    bool terminal = false;
    double next_at = 1.0; // seconds into the work when the next line may go out
    bool shown = false;   // a line is standing on the terminal
};

Progress_line progress_line_for_stderr(bool quiet);
// Shows `text` if it is time, `seconds` into the work.
void progress_update(Progress_line& line, double seconds, const char* text);
// Clears a line left standing on the terminal, before other output.
void progress_done(Progress_line& line);
