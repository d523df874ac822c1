// Progress of the long flash loops on standard output: "\r %3.3d%% " each
// time the whole percentage changes, " - DONE\n" when a loop ends. The last
// percentage shown is kept for the whole run, not per loop.
#pragma once

#include <cstddef>

// Shows the percentage when it differs from the last one shown; flushes.
void show_progress(int percent);

// done of total steps, as a whole percentage.
void show_progress_of(size_t done, size_t total);

// The loop's final percentage (when it differs from the last one shown),
// then " - DONE\n".
void finish_progress(int percent);

// The last percentage shown (0 before any).
int last_progress_shown();
