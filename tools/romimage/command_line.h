// The command line of one romimage command: positional words and "--name
// value" options; an option may be given more than once where the command
// allows it (--product).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace romimage_tool {

struct CommandLine {
  std::vector<std::string> words;
  std::map<std::string, std::vector<std::string>> options;  // flags hold one empty value

  bool has(const std::string& name) const { return options.count(name) != 0; }
  // The last value given.
  std::optional<std::string> get(const std::string& name) const;
  std::vector<std::string> all(const std::string& name) const;
};

struct OptionRules {
  std::set<std::string> valued;      // take a value
  std::set<std::string> flags;       // take none
  std::set<std::string> repeatable;  // may appear more than once
};

// False and *error for an unknown option, a missing value, or an option
// given twice that may not be.
bool parseCommandLine(const std::vector<std::string>& args, const OptionRules& rules, CommandLine* out,
                      std::string* error);

// A whole number in decimal or 0x-hexadecimal, at most max.
bool parseNumber(const std::string& text, uint64_t max, uint64_t* value);
// "major.minor.build" in decimal (at most 255.255.65535), packed as
// major << 24 | minor << 16 | build.
bool parseVersion(const std::string& text, uint32_t* packed);
std::string versionText(uint32_t packed);

}  // namespace romimage_tool
