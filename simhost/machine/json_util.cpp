#include "simhost/machine/json_util.h"

#include <cstdio>

#include "simhost/machine/files.h"

namespace simhost {

bool parseJsonText(const std::string& text, const std::string& name, nlohmann::json* json, std::string* error) {
  try {
    *json = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& e) {
    if (error) *error = name + ": malformed JSON at byte " + std::to_string(e.byte);
    return false;
  } catch (const nlohmann::json::out_of_range&) {
    // A number beyond what a double holds (1e400) is refused by the parser
    // itself, not by the reader of the field.
    if (error) *error = name + ": malformed JSON: a number too large for any field";
    return false;
  }
  return true;
}

bool loadJsonFile(const std::string& path, nlohmann::json* json, std::string* error) {
  std::string text;
  if (!readFile(path, &text, error)) return false;
  return parseJsonText(text, path, json, error);
}

bool saveJsonFile(const std::string& path, const nlohmann::json& json, std::string* error) {
  return writeFileAtomic(path, json.dump(2) + "\n", error);
}

bool parseNumber(const std::string& text, uint64_t* value) {
  if (text.empty()) return false;
  int base = 10;
  size_t start = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    start = 2;
  }
  uint64_t result = 0;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    if (result > (UINT64_MAX - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) return false;
    result = result * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  *value = result;
  return true;
}

bool jsonNumber(const nlohmann::json& value, uint64_t* out) {
  if (value.is_number_unsigned()) {
    *out = value.get<uint64_t>();
    return true;
  }
  if (value.is_number_integer()) {
    int64_t v = value.get<int64_t>();
    if (v < 0) return false;
    *out = static_cast<uint64_t>(v);
    return true;
  }
  if (value.is_string()) return parseNumber(value.get<std::string>(), out);
  return false;
}

std::string hexText(uint64_t value, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return buffer;
}

bool parseVersionWord(const std::string& text, uint32_t* word) {
  unsigned major, minor, build;
  char tail;
  if (std::sscanf(text.c_str(), "%u.%u.%u%c", &major, &minor, &build, &tail) != 3) return false;
  if (major > 255 || minor > 255 || build > 65535) return false;
  *word = major << 24 | minor << 16 | build;
  return true;
}

std::string versionWordText(uint32_t word) {
  return std::to_string(word >> 24) + "." + std::to_string((word >> 16) & 0xFF) + "." +
         std::to_string(word & 0xFFFF);
}

}  // namespace simhost
