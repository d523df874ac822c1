// HKEY_LOCAL_MACHINE. Keys are named by their path below HKLM, components
// separated by a backslash ("SYSTEM\CurrentControlSet\Control\Class\{...}\0000");
// names compare without case, as in Windows. Text values pass in the ANSI code
// page, as through the registry's "A" functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace platform {

enum class RegType : uint32_t {
  None = 0,
  Sz = 1,
  ExpandSz = 2,
  Binary = 3,
  Dword = 4,
  MultiSz = 7,
  Qword = 11,
};

struct RegValue {
  RegType type = RegType::None;
  // The bytes a RegQueryValueExA would return: for Sz and ExpandSz the text and
  // its terminating NUL; for MultiSz each text with its NUL and one more NUL;
  // for Dword four little-endian bytes.
  std::vector<uint8_t> data;

  static RegValue sz(const std::string& text);
  static RegValue dword(uint32_t value);
  static RegValue multiSz(const std::vector<std::string>& texts);
  static RegValue binary(std::vector<uint8_t> bytes);

  // The text of an Sz/ExpandSz value, up to its first NUL.
  std::string text() const;
  // The texts of a MultiSz value.
  std::vector<std::string> texts() const;
  // The value of a Dword (0 when the data is shorter than four bytes).
  uint32_t asDword() const;
};

// An open key. Opening a key does not pin it: a later call on a key that was
// deleted meanwhile fails with kErrorFileNotFound, as a stale handle would.
struct RegKey {
  std::string path;
};

// "A\B" from "A" and "B"; either part may be empty.
std::string regJoin(const std::string& parent, const std::string& child);

class Registry {
 public:
  virtual ~Registry() = default;

  // RegCreateKeyExA with full access: opens the key, creating it (and any
  // missing parent) when it does not exist.
  virtual WinError createKey(const std::string& path, RegKey* key) = 0;
  // RegOpenKeyExA: kErrorFileNotFound when the key does not exist.
  virtual WinError openKey(const std::string& path, RegKey* key) = 0;
  // RegEnumKeyExA: the index-th subkey name in the registry's own order
  // (case-insensitive alphabetical); kErrorNoMoreItems past the end.
  virtual WinError enumSubkey(const RegKey& key, uint32_t index, std::string* name) = 0;
  // RegQueryValueExA: kErrorFileNotFound when the value does not exist.
  virtual WinError queryValue(const RegKey& key, const std::string& name, RegValue* value) = 0;
  // RegSetValueExA.
  virtual WinError setValue(const RegKey& key, const std::string& name, const RegValue& value) = 0;
  // RegDeleteValueA: kErrorFileNotFound when the value does not exist.
  virtual WinError deleteValue(const RegKey& key, const std::string& name) = 0;
};

}  // namespace platform
