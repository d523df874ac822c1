// HKEY_LOCAL_MACHINE through the registry's "A" functions. A RegKey holds the
// key's path only: every call opens the key afresh, so a key deleted meanwhile
// answers ERROR_FILE_NOT_FOUND, as the interface promises.
#include <windows.h>

#include "platform/win32/win32_backend.h"

namespace platform {

namespace {

// The 64-bit view: the programs look for the drivers' keys where a 64-bit
// driver installs them.
constexpr REGSAM kView = KEY_WOW64_64KEY;

class OpenedKey {
 public:
  OpenedKey() = default;
  ~OpenedKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  WinError open(const std::string& path, REGSAM access) {
    return static_cast<WinError>(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access | kView, &key_));
  }
  WinError create(const std::string& path) {
    return static_cast<WinError>(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | kView, nullptr,
                                                 &key_, nullptr));
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class Win32Registry : public Registry {
 public:
  WinError createKey(const std::string& path, RegKey* key) override {
    OpenedKey k;
    WinError e = k.create(path);
    if (e == kErrorSuccess) key->path = path;
    return e;
  }

  WinError openKey(const std::string& path, RegKey* key) override {
    OpenedKey k;
    WinError e = k.open(path, KEY_READ);
    if (e == kErrorSuccess) key->path = path;
    return e;
  }

  WinError enumSubkey(const RegKey& key, uint32_t index, std::string* name) override {
    OpenedKey k;
    if (WinError e = k.open(key.path, KEY_ENUMERATE_SUB_KEYS)) return e;
    char buffer[256];  // key names are at most 255 characters
    DWORD size = sizeof buffer;
    LONG e = RegEnumKeyExA(k.get(), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (e == ERROR_SUCCESS) name->assign(buffer, size);
    return static_cast<WinError>(e);
  }

  WinError queryValue(const RegKey& key, const std::string& name, RegValue* value) override {
    OpenedKey k;
    if (WinError e = k.open(key.path, KEY_QUERY_VALUE)) return e;
    // The value may grow between the size query and the read: ask again then.
    for (;;) {
      DWORD type = 0;
      DWORD size = 0;
      LONG e = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size);
      if (e != ERROR_SUCCESS) return static_cast<WinError>(e);
      std::vector<uint8_t> data(size);
      e = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
      if (e == ERROR_MORE_DATA) continue;
      if (e != ERROR_SUCCESS) return static_cast<WinError>(e);
      data.resize(size);
      value->type = static_cast<RegType>(type);
      value->data = std::move(data);
      return kErrorSuccess;
    }
  }

  WinError setValue(const RegKey& key, const std::string& name, const RegValue& value) override {
    OpenedKey k;
    if (WinError e = k.open(key.path, KEY_SET_VALUE)) return e;
    return static_cast<WinError>(RegSetValueExA(k.get(), name.c_str(), 0, static_cast<DWORD>(value.type),
                                                value.data.empty() ? nullptr : value.data.data(),
                                                static_cast<DWORD>(value.data.size())));
  }

  WinError deleteValue(const RegKey& key, const std::string& name) override {
    OpenedKey k;
    if (WinError e = k.open(key.path, KEY_SET_VALUE)) return e;
    return static_cast<WinError>(RegDeleteValueA(k.get(), name.c_str()));
  }
};

}  // namespace

std::unique_ptr<Registry> makeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace platform
