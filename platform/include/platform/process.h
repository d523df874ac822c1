// CreateProcess and waiting, with Windows command-line rules: the command line
// is one text, split as CommandLineToArgvW reads it; the executable is searched
// for in the caller's own directory first, and ".exe" is appended when the name
// has no extension. On Linux "X.exe" is the file X.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace platform {

// Quotes one argument so that splitCommandLine gives it back unchanged.
std::string quoteArgument(const std::string& arg);
// Joins arguments into one command line.
std::string buildCommandLine(const std::vector<std::string>& args);
// CommandLineToArgvW: the program name (first word) by its own simple rule,
// the rest with the backslash and double-quote rules.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

enum class StdStream { Inherit, Null, File, Pipe };

struct StdRedirect {
  StdStream kind = StdStream::Inherit;
  std::string path;  // File: created anew (truncated); shared by stdout and stderr when equal
};

struct StartOptions {
  StdRedirect input;
  StdRedirect output;
  StdRedirect error;
  std::string currentDirectory;  // empty: the caller's
  // "NAME=VALUE" entries set in the child's environment on top of the
  // caller's (CreateProcess with an environment block built from the
  // caller's).
  std::vector<std::string> environment;
};

class Child {
 public:
  virtual ~Child() = default;
  // Waits without time limit; the exit code as Windows reports it (32 bits).
  virtual uint32_t wait() = 0;
  // The read end of a Pipe redirect of standard output (-1 when none).
  virtual int outputPipe() const = 0;
};

// A process named so that a reused process id cannot pass for it: its id
// and the time it started (GetProcessTimes' creation time on the target).
struct ProcessStamp {
  uint32_t id = 0;
  uint64_t started = 0;
};

class Process {
 public:
  virtual ~Process() = default;
  // This process's stamp.
  virtual ProcessStamp self() = 0;
  // Whether the process the stamp names still runs: the same id, started at
  // the same time, not ended.
  virtual bool running(const ProcessStamp& stamp) = 0;
  // CreateProcess with no application name. nullptr and *error (2 when the
  // executable is not found) on failure.
  virtual std::unique_ptr<Child> start(const std::string& commandLine, const StartOptions& options,
                                       WinError* error) = 0;
  // The file that start() would run for this program name, or empty.
  virtual std::string findExecutable(const std::string& name) = 0;
};

}  // namespace platform
