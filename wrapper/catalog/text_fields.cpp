#include "wrapper/catalog/text_fields.h"

namespace keelson {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool parseHexId(const std::string& text, uint32_t* value) {
  *value = 0;
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && i + 2 < text.size() &&
      hexDigit(text[i + 2]) >= 0) {
    i += 2;
  }
  if (i == text.size()) return false;
  constexpr int64_t kLimit = 0x7FFFFFFF;  // reached or passed: out of range
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = hexDigit(text[i]);
    if (digit < 0) return false;
    magnitude = magnitude * 16 + digit;
    if (magnitude > kLimit + 1) return false;
  }
  if (negative ? magnitude >= kLimit + 1 : magnitude >= kLimit) return false;
  *value = static_cast<uint32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool parseDecimalNumber(const std::string& text, int32_t* value) {
  *value = 0;
  const std::string t = trimmed(text);
  if (t.empty()) return false;
  int64_t number = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
    if (number > INT32_MAX) return false;
  }
  *value = static_cast<int32_t>(number);
  return true;
}

std::string trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

}  // namespace keelson
