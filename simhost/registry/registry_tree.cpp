#include "simhost/registry/registry_tree.h"

#include <algorithm>
#include <utility>

#include "simhost/registry/unicode_text.h"

namespace simhost {
namespace {

char16_t upperCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : static_cast<char16_t>(c - 0x20);  // Latin-1
  if (c == 0xFF) return 0x178;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);  // Greek
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

}  // namespace

std::u16string registryNameKey(std::string_view name) {
  std::u16string key;
  // Nearly every name is ASCII: each byte is its own unit, upper-cased.
  if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; })) {
    key.resize(name.size());
    for (size_t i = 0; i < name.size(); ++i) key[i] = upperCase(static_cast<char16_t>(name[i]));
    return key;
  }
  if (!utf8ToUtf16(name, &key)) {
    // Names reach the tree already validated; keep a total order regardless.
    key.assign(name.begin(), name.end());
  }
  for (char16_t& c : key) c = upperCase(c);
  return key;
}

bool registryNamesEqual(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const auto ascii = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
  };
  if (!ascii(a) || !ascii(b)) return registryNameKey(a) == registryNameKey(b);
  // Most names are ASCII: compare them without building UTF-16 copies.
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return upperCase(static_cast<char16_t>(x)) == upperCase(static_cast<char16_t>(y));
         });
}

std::vector<std::string_view> splitRegistryPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

RegistryKey::RegistryKey(std::string name) : name_(std::move(name)), nameKey_(registryNameKey(name_)) {}

const RegistryValue* RegistryKey::findValue(std::string_view name) const {
  for (const RegistryValue& value : values_) {
    if (registryNamesEqual(value.name, name)) return &value;
  }
  return nullptr;
}

bool RegistryKey::setValue(std::string_view name, uint32_t type, std::vector<uint8_t> data) {
  for (RegistryValue& value : values_) {
    if (!registryNamesEqual(value.name, name)) continue;
    if (value.type == type && value.data == data) return false;
    value.type = type;
    value.data = std::move(data);
    return true;
  }
  values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
  return true;
}

bool RegistryKey::deleteValue(std::string_view name) {
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const RegistryValue& value) { return registryNamesEqual(value.name, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

size_t RegistryKey::lowerBound(const std::u16string& key) const {
  auto it = std::lower_bound(
      subkeys_.begin(), subkeys_.end(), key,
      [](const std::unique_ptr<RegistryKey>& sub, const std::u16string& k) { return sub->nameKey_ < k; });
  return static_cast<size_t>(it - subkeys_.begin());
}

RegistryKey* RegistryKey::findSubkey(std::string_view name) {
  const std::u16string key = registryNameKey(name);
  const size_t at = lowerBound(key);
  if (at < subkeys_.size() && subkeys_[at]->nameKey_ == key) return subkeys_[at].get();
  return nullptr;
}

const RegistryKey* RegistryKey::findSubkey(std::string_view name) const {
  return const_cast<RegistryKey*>(this)->findSubkey(name);
}

RegistryKey& RegistryKey::addSubkey(std::string_view name, bool* created) {
  const std::u16string key = registryNameKey(name);
  const size_t at = lowerBound(key);
  if (at < subkeys_.size() && subkeys_[at]->nameKey_ == key) {
    if (created) *created = false;
    return *subkeys_[at];
  }
  auto it = subkeys_.insert(subkeys_.begin() + static_cast<std::ptrdiff_t>(at),
                            std::make_unique<RegistryKey>(std::string(name)));
  if (created) *created = true;
  return **it;
}

bool RegistryKey::removeSubkey(std::string_view name) {
  const std::u16string key = registryNameKey(name);
  const size_t at = lowerBound(key);
  if (at >= subkeys_.size() || subkeys_[at]->nameKey_ != key) return false;
  subkeys_.erase(subkeys_.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

RegistryKey* RegistryTree::find(std::string_view path) {
  RegistryKey* key = &root_;
  for (std::string_view part : splitRegistryPath(path)) {
    key = key->findSubkey(part);
    if (!key) return nullptr;
  }
  return key;
}

const RegistryKey* RegistryTree::find(std::string_view path) const {
  return const_cast<RegistryTree*>(this)->find(path);
}

RegistryKey& RegistryTree::create(std::string_view path, bool* created) {
  bool added = false;
  RegistryKey* key = &root_;
  for (std::string_view part : splitRegistryPath(path)) key = &key->addSubkey(part, &added);
  // Parents are only implied; a key that existed keeps what it was.
  if (added) key->markSection();
  if (created) *created = added;
  return *key;
}

bool RegistryTree::remove(std::string_view path) {
  std::vector<std::string_view> parts = splitRegistryPath(path);
  if (parts.empty()) return false;
  RegistryKey* parent = &root_;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    parent = parent->findSubkey(parts[i]);
    if (!parent) return false;
  }
  return parent->removeSubkey(parts.back());
}

}  // namespace simhost
