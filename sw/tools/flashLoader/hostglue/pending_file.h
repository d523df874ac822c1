// A file written whole before it takes its name: created exclusively under
// "incomplete_" + its name, for the owner only, and given the first free
// name ("_2", "_3", ... appended) only once it is complete. A run that fails
// or is killed half-way never leaves something that looks finished, and a
// finished file is never replaced.
#pragma once

#include <string>

#include "sw/tools/flashLoader/hostglue/file_handle.h"

struct PendingFile {
  FileHandle file;      // null when no file could be created
  std::string writing;  // the file's name while it is written
};

// A new file for path's content. Its file is null when none can be created.
PendingFile open_pending_file(const std::string& path);

// Closes the file (a full disk may show only then) and, when everything was
// written, gives it the first free name from *path on, which *path becomes.
// False when the file could not be completed: nothing is left behind.
bool publish_pending_file(PendingFile pending, std::string* path, bool written);

// A file that will not be completed: closed and removed.
void abandon_pending_file(PendingFile pending);
