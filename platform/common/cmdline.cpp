// Windows passes a command line as one text and every program splits it
// itself; the programs here start each other with such texts, so joining and
// splitting must agree with the system's own reader (CommandLineToArgvW)
// byte for byte, including its older treatment of "" inside quotes.
#include <string>
#include <vector>

#include "platform/common/running_program.h"
#include "platform/process.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool needsQuotes(const std::string& arg) {
  return arg.empty() || arg.find_first_of(" \t\"") != std::string::npos;
}

// The program name is read without any escape processing, so it is quoted
// only to protect blanks (or to be seen at all when empty). A name that starts
// with a quote, or holds a quote and a blank, cannot be written; Windows file
// names never contain quotes.
std::string quoteProgramName(const std::string& name) {
  bool quote = name.empty() || name.front() == '"' ||
               name.find_first_of(" \t") != std::string::npos;
  return quote ? "\"" + name + "\"" : name;
}

}  // namespace

std::string quoteArgument(const std::string& arg) {
  if (!needsQuotes(arg)) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      // Backslashes before a quote are halved by the reader and an odd one
      // makes the quote literal: 2n+1 backslashes then the quote.
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  // Before the closing quote the backslashes are doubled so that the quote
  // still ends the argument.
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string buildCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) line += ' ';
    line += i == 0 ? quoteProgramName(args[i]) : quoteArgument(args[i]);
  }
  return line;
}

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
  // An empty command line stands for the running program itself.
  if (commandLine.empty()) return {runningProgramPath()};

  std::vector<std::string> args;
  size_t pos = 0;
  const size_t end = commandLine.size();

  // The program name: quoted up to the next quote, else up to a blank. What
  // follows a closing quote starts the next argument even without a blank.
  std::string program;
  if (commandLine[0] == '"') {
    size_t close = commandLine.find('"', 1);
    if (close == std::string::npos) {
      program = commandLine.substr(1);
      pos = end;
    } else {
      program = commandLine.substr(1, close - 1);
      pos = close + 1;
    }
  } else {
    while (pos < end && !isBlank(commandLine[pos])) ++pos;
    program = commandLine.substr(0, pos);
  }
  args.push_back(std::move(program));

  while (pos < end && isBlank(commandLine[pos])) ++pos;
  if (pos == end) return args;

  std::string current;
  bool inQuotes = false;
  while (pos < end) {
    char c = commandLine[pos];
    if (isBlank(c) && !inQuotes) {
      args.push_back(std::move(current));
      current.clear();
      while (pos < end && isBlank(commandLine[pos])) ++pos;
      if (pos == end) return args;
      continue;
    }
    if (c == '\\') {
      size_t run = 0;
      while (pos < end && commandLine[pos] == '\\') {
        ++run;
        ++pos;
      }
      if (pos < end && commandLine[pos] == '"') {
        current.append(run / 2, '\\');
        if (run % 2 == 1) {
          current += '"';
          ++pos;
        }
        // With an even run the quote is read next as a delimiter.
      } else {
        current.append(run, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (inQuotes && pos + 1 < end && commandLine[pos + 1] == '"') {
        // Inside quotes "" is one literal quote and ends the quoted part
        // (the reader's long-standing rule, unlike newer C runtimes).
        current += '"';
        inQuotes = false;
        pos += 2;
      } else {
        inQuotes = !inQuotes;
        ++pos;
      }
      continue;
    }
    current += c;
    ++pos;
  }
  args.push_back(std::move(current));
  return args;
}

}  // namespace platform
