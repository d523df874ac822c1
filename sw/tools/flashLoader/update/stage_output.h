// Stage lines of the multi-step operations on standard output,
// "%d/%d - %s\n": the stage number, the operation's last stage number and
// the stage's name. The last stage number shown is kept for the whole run.
#pragma once

void show_stage(int stage, int lastStage, const char* name);

// The number of the last stage line shown (-1 before any).
int last_stage_shown();
