#include "platform/common/environment_text.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

std::string expandEnvironmentText(const std::string& text, const EnvironmentLookup& lookup) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find('%', pos);
    if (open == std::string::npos) break;
    size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out.append(text, pos, open - pos);
    std::string name = text.substr(open + 1, close - open - 1);
    std::optional<std::string> value;
    if (!name.empty()) value = lookup(name);
    if (value) {
      out += *value;
      pos = close + 1;
    } else {
      // The closing '%' may open the next name ("%unset%TEMP%").
      out.append(text, open, close - open);
      pos = close;
    }
  }
  out.append(text, pos, std::string::npos);
  return out;
}

std::optional<std::string> processEnvironmentValue(const std::string& name) {
  if (const char* v = std::getenv(name.c_str())) return std::string(v);
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  if (const char* v = std::getenv(upper.c_str())) return std::string(v);
  return std::nullopt;
}

}  // namespace platform
