// HKEY_LOCAL_MACHINE in memory. Key and value names are UTF-8, compare
// without case and keep their spelling; subkeys are kept in the registry's
// enumeration order (case-insensitive, by upper-cased UTF-16), values in the
// order they were added. Value data is held as the registry holds it, texts
// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) in UTF-16LE with their NULs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace simhost {

inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

struct RegistryValue {
  std::string name;  // empty: the key's default value ("@" in an export)
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
  bool operator==(const RegistryValue&) const = default;
};

// The form two names are compared in: UTF-16, upper-cased as the registry
// does for the scripts a server's names use (ASCII, Latin-1, Greek, Cyrillic).
std::u16string registryNameKey(std::string_view name);
bool registryNamesEqual(std::string_view a, std::string_view b);

// The components of "A\B\C"; empty components (doubled, leading or trailing
// backslashes) are skipped.
std::vector<std::string_view> splitRegistryPath(std::string_view path);

class RegistryKey {
 public:
  explicit RegistryKey(std::string name);

  const std::string& name() const { return name_; }

  // Whether the key is written as a section of its own: it was named by one
  // in the file, or created on purpose. Keys only implied as parents of a
  // deeper section are not (unless they hold values or have no subkeys).
  bool isSection() const { return section_; }
  void markSection() { section_ = true; }

  const std::vector<RegistryValue>& values() const { return values_; }
  const RegistryValue* findValue(std::string_view name) const;
  // Adds the value, or gives an existing one of that name (whose spelling and
  // place are kept) the new type and data. False when nothing changed.
  bool setValue(std::string_view name, uint32_t type, std::vector<uint8_t> data);
  bool deleteValue(std::string_view name);

  size_t subkeyCount() const { return subkeys_.size(); }
  const RegistryKey& subkey(size_t index) const { return *subkeys_[index]; }
  RegistryKey* findSubkey(std::string_view name);
  const RegistryKey* findSubkey(std::string_view name) const;
  // The subkey of that name, added when missing (*created tells which).
  RegistryKey& addSubkey(std::string_view name, bool* created = nullptr);
  // Removes the subkey with everything below it; false when there is none.
  bool removeSubkey(std::string_view name);

 private:
  size_t lowerBound(const std::u16string& key) const;

  std::string name_;
  std::u16string nameKey_;
  bool section_ = false;
  std::vector<RegistryValue> values_;
  std::vector<std::unique_ptr<RegistryKey>> subkeys_;  // ordered by nameKey_
};

// Keys are addressed by their path below HKEY_LOCAL_MACHINE; "" is HKLM itself.
class RegistryTree {
 public:
  RegistryTree() : root_("HKEY_LOCAL_MACHINE") {}

  RegistryKey& root() { return root_; }
  const RegistryKey& root() const { return root_; }

  RegistryKey* find(std::string_view path);
  const RegistryKey* find(std::string_view path) const;
  // Opens the key, creating it and any missing parent; a key created here
  // becomes a section, its new parents are only implied. *created tells
  // whether a key was added.
  RegistryKey& create(std::string_view path, bool* created = nullptr);
  // Deletes the key and its subtree; false when it does not exist. HKLM
  // itself cannot be deleted.
  bool remove(std::string_view path);

 private:
  RegistryKey root_;
};

}  // namespace simhost
