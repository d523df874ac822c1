// Stage lines of the multi-step operations on standard output,
// "%d/%d - %s\n": the stage number, the operation's last stage number and
// the stage's name.
#pragma once

void show_stage(int stage, int lastStage, const char* name);
