// Running the flash tool as a child: the command line as one text, the
// executable searched for from the wrapper's own directory with ".exe"
// mapped as the platform does. The child's console output is discarded or
// captured in a file; the result is the child's exit code, 1 when it could
// not be started (and the run's command-failed flag is set).
#pragma once

#include <cstdint>
#include <string>

namespace keelson {

// Output discarded.
uint32_t do_command(const std::string& commandLine);

// Standard output and error in outputFile, created anew; 0 without running
// anything when the file cannot be created.
uint32_t do_command(const std::string& commandLine, const std::string& outputFile);

}  // namespace keelson
