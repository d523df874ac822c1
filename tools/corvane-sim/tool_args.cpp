#include "tools/corvane-sim/tool_args.h"

#include "simhost/machine/json_util.h"

namespace corvane_sim {

std::optional<std::string> ToolArgs::get(const std::string& name) const {
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

bool parseToolArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
                   const std::set<std::string>& flags, ToolArgs* out, std::string* error) {
  ToolArgs result;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
      result.words.push_back(a);
      continue;
    }
    std::string name = a.substr(2);
    if (flags.count(name)) {
      result.options[name] = "";
    } else if (valued.count(name)) {
      if (i + 1 >= args.size()) {
        *error = "option " + a + " needs a value";
        return false;
      }
      result.options[name] = args[++i];
    } else {
      *error = "unknown option " + a;
      return false;
    }
  }
  *out = std::move(result);
  return true;
}

bool parseBounded(const std::string& text, uint64_t max, uint64_t* value) {
  uint64_t v;
  if (!simhost::parseNumber(text, &v) || v > max) return false;
  *value = v;
  return true;
}

}  // namespace corvane_sim
