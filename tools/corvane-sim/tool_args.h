// The command line of one corvane-sim command: positional words and
// "--name value" options, each option known to the command.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvane_sim {

struct ToolArgs {
  std::vector<std::string> words;
  std::map<std::string, std::string> options;  // flags map to ""

  bool has(const std::string& name) const { return options.count(name) != 0; }
  std::optional<std::string> get(const std::string& name) const;
};

// valued: options that take a value; flags: options that do not. False and
// *error for an unknown option or a missing value.
bool parseToolArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
                   const std::set<std::string>& flags, ToolArgs* out, std::string* error);

// Numbers in decimal or 0x-hexadecimal that must fit max.
bool parseBounded(const std::string& text, uint64_t max, uint64_t* value);

}  // namespace corvane_sim
