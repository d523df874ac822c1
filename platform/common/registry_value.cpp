#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace platform {

RegValue RegValue::sz(const std::string& text) {
  RegValue value;
  value.type = RegType::Sz;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return value;
}

RegValue RegValue::dword(uint32_t number) {
  RegValue value;
  value.type = RegType::Dword;
  value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
  return value;
}

RegValue RegValue::multiSz(const std::vector<std::string>& texts) {
  RegValue value;
  value.type = RegType::MultiSz;
  for (const std::string& text : texts) {
    value.data.insert(value.data.end(), text.begin(), text.end());
    value.data.push_back(0);
  }
  value.data.push_back(0);
  return value;
}

RegValue RegValue::binary(std::vector<uint8_t> bytes) {
  RegValue value;
  value.type = RegType::Binary;
  value.data = std::move(bytes);
  return value;
}

std::string RegValue::text() const {
  std::string out;
  for (uint8_t byte : data) {
    if (byte == 0) break;
    out.push_back(static_cast<char>(byte));
  }
  return out;
}

// Stops at the empty text that ends the list, as readers of a multi-string
// do; a last text without its NUL still counts.
std::vector<std::string> RegValue::texts() const {
  std::vector<std::string> out;
  std::string current;
  for (uint8_t byte : data) {
    if (byte != 0) {
      current.push_back(static_cast<char>(byte));
      continue;
    }
    if (current.empty()) return out;
    out.push_back(std::move(current));
    current.clear();
  }
  if (!current.empty()) out.push_back(std::move(current));
  return out;
}

uint32_t RegValue::asDword() const {
  if (data.size() < 4) return 0;
  return static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
         (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

std::string regJoin(const std::string& parent, const std::string& child) {
  if (parent.empty()) return child;
  if (child.empty()) return parent;
  return parent + "\\" + child;
}

}  // namespace platform
