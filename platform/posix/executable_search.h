// Which file a command line's program name runs, by the rules of
// CreateProcess without an application name, on a file system where programs
// have no ".exe".
#pragma once

#include <string>
#include <vector>

namespace platform {

// Where a bare program name is looked for, in this order.
struct SearchPlaces {
  std::string ownDirectory;      // the calling program's own directory
  std::string currentDirectory;  // the caller's current directory
  std::vector<std::string> systemDirectories;
  std::vector<std::string> path;  // the PATH directories
};

// The places for this process: the directory of /proc/self/exe, the current
// directory, the given system directories, then $PATH.
SearchPlaces searchPlacesOfThisProcess(std::vector<std::string> systemDirectories);

// The executable file for a program name, or empty when there is none. A name
// with a directory part (either slash) is used as given, relative names
// against currentDirectory; a bare name is looked for in the places in order.
// ".exe" is appended when the name has no extension, and "X.exe" is the file
// X when no "X.exe" exists. Only executable regular files count.
std::string searchExecutable(const std::string& name, const SearchPlaces& places);

}  // namespace platform
