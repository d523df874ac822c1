// updeck's own command line: its options, the command, and the words that
// become the update manager's own command line.
#pragma once

#include <string>
#include <vector>

namespace updeck {

enum class Command { Properties, Install, Help };

struct Request {
  std::string componentDir = ".";  // where the plug-in and its package files are
  std::string logDir;              // the manager log's verbose directory; empty: the default
  bool verbose = false;
  bool json = false;
  Command command = Command::Help;
  bool silent = false;
  std::vector<std::string> hostArgs;  // after the command (and --silent), taken as they are
};

// False and *error for an unknown option, a missing value or command.
bool parseRequest(const std::vector<std::string>& args, Request* request, std::string* error);

// The manager's command line words: the program name, the host words, and
// "/verbose_log" for --verbose unless the host words hold it already (in any
// letter case).
std::vector<std::string> managerArguments(const Request& request);

// One request as text and back (it travels to the manager process).
std::string encodeRequest(const Request& request);
bool decodeRequest(const std::string& text, Request* request);

std::string usageText();

}  // namespace updeck
