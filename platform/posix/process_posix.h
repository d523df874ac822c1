// Starting programs on Linux the way CreateProcess starts them on the target:
// one command line, Windows' executable search, standard streams inherited,
// discarded, sent to a file or to a pipe.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/process.h"

namespace platform {

// systemDirectories are searched after the caller's own and current
// directories and before PATH (the host's System32 and Windows directories).
//
// Exit codes: a Linux program ends with 0-255, so a program that calls
// exit(-1) is seen with 255, not 0xFFFFFFFF; a child killed by signal N gives
// 128 + N. Standard input may be Inherit, Null or File (read); standard error
// may be a Pipe only together with standard output, and then shares its pipe.
std::unique_ptr<Process> makePosixProcess(std::vector<std::string> systemDirectories);

}  // namespace platform
