// The one operation a run performs after its last option (upgrade, restore,
// or a PXE, WOL, NC-SI or hardware-flag change).
#pragma once

// Runs g_run.operation; non-option words left over (argv[firstNonOption]
// on) stop it. The exit code of the run.
int run_deferred_operation(int argc, char** argv, int firstNonOption);
