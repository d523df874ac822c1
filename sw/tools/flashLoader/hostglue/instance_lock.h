// The lock file that tells a run of this tool (or of the upgrade wrapper)
// that another Corvane tool may be working on the adapters, or that an
// earlier run ended without cleaning up.
#pragma once

#include <string>

inline constexpr const char* kLockFileName = "corvane_lock_file";

// Fixes the lock file's path: the temporary directory and kLockFileName.
// Done before the console control handler can run, which removes the file.
void prepare_lock_path();
const std::string& lock_path();

// Creates the lock file, naming this process (id and start time). When it
// exists already and names a process that still runs, says so and ends the
// run at once ("EXITING....!!"), without asking. Otherwise (the owner is
// gone, or the file names none) warns and asks whether to go on; "Y" or "y"
// with Enter removes the old file and creates this run's own. 0 when the
// run may go on, -1 when it must end (the reason printed).
int take_instance_lock();

// Removes the lock file; a missing file is no error.
void remove_lock_file();
