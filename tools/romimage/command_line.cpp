#include "tools/romimage/command_line.h"

#include <cctype>
#include <cstdio>

namespace romimage_tool {

std::optional<std::string> CommandLine::get(const std::string& name) const {
  auto found = options.find(name);
  if (found == options.end() || found->second.empty()) return std::nullopt;
  return found->second.back();
}

std::vector<std::string> CommandLine::all(const std::string& name) const {
  auto found = options.find(name);
  return found == options.end() ? std::vector<std::string>{} : found->second;
}

bool parseCommandLine(const std::vector<std::string>& args, const OptionRules& rules, CommandLine* out,
                      std::string* error) {
  *out = CommandLine{};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      out->words.push_back(arg);
      continue;
    }
    const std::string name = arg.substr(arg.compare(0, 2, "--") == 0 ? 2 : 1);
    if (out->has(name) && !rules.repeatable.count(name)) {
      *error = "option " + arg + " given twice";
      return false;
    }
    if (rules.flags.count(name)) {
      out->options[name].push_back("");
    } else if (rules.valued.count(name)) {
      if (i + 1 >= args.size()) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      out->options[name].push_back(args[++i]);
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

bool parseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t start = hex ? 2 : 0;
  if (text.size() <= start || text.size() - start > 16) return false;
  uint64_t v = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned digit;
    if (std::isdigit(c))
      digit = c - '0';
    else if (hex && std::isxdigit(c))
      digit = 10 + (std::tolower(c) - 'a');
    else
      return false;
    const uint64_t base = hex ? 16 : 10;
    if (v > (UINT64_MAX - digit) / base) return false;
    v = v * base + digit;
  }
  if (v > max) return false;
  *value = v;
  return true;
}

bool parseVersion(const std::string& text, uint32_t* packed) {
  uint64_t parts[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t dot = i < 2 ? text.find('.', start) : text.size();
    if (dot == std::string::npos) return false;
    const std::string part = text.substr(start, dot - start);
    if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    if (!parseNumber(part, i < 2 ? 0xFF : 0xFFFF, &parts[i])) return false;
    start = dot + 1;
  }
  *packed = static_cast<uint32_t>(parts[0] << 24 | parts[1] << 16 | parts[2]);
  return true;
}

std::string versionText(uint32_t packed) {
  char text[24];
  std::snprintf(text, sizeof text, "%u.%u.%u", packed >> 24, (packed >> 16) & 0xFF, packed & 0xFFFF);
  return text;
}

}  // namespace romimage_tool
