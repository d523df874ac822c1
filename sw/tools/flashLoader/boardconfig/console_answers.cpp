#include "sw/tools/flashLoader/boardconfig/console_answers.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

std::string read_line() {
  flush_out();
  std::string line;
  if (!platform::host().console().readLine(&line)) return {};
  return line;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::optional<int> read_number_answer() {
  const std::string line = read_line();
  const char* start = line.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(start, &end, 10);
  if (end == start || errno != 0 || value < INT_MIN || value > INT_MAX) return std::nullopt;
  while (blank(*end)) ++end;
  if (*end != '\0') return std::nullopt;
  return static_cast<int>(value);
}

std::string read_word_answer() {
  const std::string line = read_line();
  size_t begin = 0;
  while (begin < line.size() && blank(line[begin])) ++begin;
  size_t end = begin;
  while (end < line.size() && !blank(line[end])) ++end;
  return line.substr(begin, end - begin);
}

bool read_yes_answer() {
  const std::string word = read_word_answer();
  return !word.empty() && (word[0] == 'Y' || word[0] == 'y');
}
