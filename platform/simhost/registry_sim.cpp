#include "platform/simhost/registry_sim.h"

#include <functional>
#include <utility>
#include <vector>

#include "platform/common/codepage.h"
#include "simhost/registry/registry_store.h"
#include "simhost/registry/unicode_text.h"

namespace platform {
namespace {

using simhost::RegistryKey;
using simhost::RegistryTree;

bool holdsText(uint32_t type) {
  return type == static_cast<uint32_t>(RegType::Sz) || type == static_cast<uint32_t>(RegType::ExpandSz) ||
         type == static_cast<uint32_t>(RegType::MultiSz);
}

bool isAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

class SimRegistry final : public Registry {
 public:
  SimRegistry(std::shared_ptr<simhost::RegistryStore> store, uint32_t codePage)
      : store_(std::move(store)), codePage_(codePage) {}

  WinError createKey(const std::string& path, RegKey* key) override {
    std::string name;
    if (!storeName(path, &name)) return kErrorInvalidParameter;
    bool exists = false;
    // Opening an existing key needs no lock and no rewrite.
    if (!read([&](const RegistryTree& tree) { exists = tree.find(name) != nullptr; })) {
      return kErrorBadDatabase;
    }
    if (!exists && !store_->update(
                       [&](RegistryTree& tree) {
                         bool created = false;
                         tree.create(name, &created);
                         return created;
                       },
                       nullptr)) {
      return kErrorBadDatabase;
    }
    key->path = path;
    return kErrorSuccess;
  }

  WinError openKey(const std::string& path, RegKey* key) override {
    std::string name;
    if (!storeName(path, &name)) return kErrorFileNotFound;
    bool exists = false;
    if (!read([&](const RegistryTree& tree) { exists = tree.find(name) != nullptr; })) {
      return kErrorBadDatabase;
    }
    if (!exists) return kErrorFileNotFound;
    key->path = path;
    return kErrorSuccess;
  }

  WinError enumSubkey(const RegKey& key, uint32_t index, std::string* name) override {
    std::string path;
    if (!storeName(key.path, &path)) return kErrorFileNotFound;
    WinError result = kErrorSuccess;
    bool ok = read([&](const RegistryTree& tree) {
      const RegistryKey* found = tree.find(path);
      if (!found) {
        result = kErrorFileNotFound;
      } else if (index >= found->subkeyCount()) {
        result = kErrorNoMoreItems;
      } else {
        *name = toAnsi(found->subkey(index).name());
      }
    });
    return ok ? result : kErrorBadDatabase;
  }

  WinError queryValue(const RegKey& key, const std::string& name, RegValue* value) override {
    std::string path;
    std::string valueName;
    if (!storeName(key.path, &path) || !storeName(name, &valueName)) return kErrorFileNotFound;
    WinError result = kErrorSuccess;
    bool ok = read([&](const RegistryTree& tree) {
      const RegistryKey* found = tree.find(path);
      const simhost::RegistryValue* stored = found ? found->findValue(valueName) : nullptr;
      if (!stored) {
        result = kErrorFileNotFound;
        return;
      }
      value->type = static_cast<RegType>(stored->type);
      if (holdsText(stored->type)) {
        const std::string ansi = toCodePage(simhost::utf16FromLeBytes(stored->data), codePage_);
        value->data.assign(ansi.begin(), ansi.end());
      } else {
        value->data = stored->data;
      }
    });
    return ok ? result : kErrorBadDatabase;
  }

  WinError setValue(const RegKey& key, const std::string& name, const RegValue& value) override {
    std::string path;
    std::string valueName;
    if (!storeName(key.path, &path)) return kErrorFileNotFound;
    if (!storeName(name, &valueName)) return kErrorInvalidParameter;
    const auto type = static_cast<uint32_t>(value.type);
    std::vector<uint8_t> data = value.data;
    if (holdsText(type)) {
      const std::string ansi(value.data.begin(), value.data.end());
      data = simhost::utf16ToLeBytes(fromCodePage(ansi, codePage_));
    }
    WinError result = kErrorSuccess;
    bool ok = store_->update(
        [&](RegistryTree& tree) {
          RegistryKey* found = tree.find(path);
          if (!found) {
            result = kErrorFileNotFound;
            return false;
          }
          return found->setValue(valueName, type, std::move(data));
        },
        nullptr);
    return ok ? result : kErrorBadDatabase;
  }

  WinError deleteValue(const RegKey& key, const std::string& name) override {
    std::string path;
    std::string valueName;
    if (!storeName(key.path, &path) || !storeName(name, &valueName)) return kErrorFileNotFound;
    WinError result = kErrorSuccess;
    bool ok = store_->update(
        [&](RegistryTree& tree) {
          RegistryKey* found = tree.find(path);
          if (!found || !found->deleteValue(valueName)) {
            result = kErrorFileNotFound;
            return false;
          }
          return true;
        },
        nullptr);
    return ok ? result : kErrorBadDatabase;
  }

 private:
  bool read(const std::function<void(const RegistryTree&)>& reader) { return store_->read(reader, nullptr); }

  // A name in the store's UTF-8; false for a name no export line can hold.
  bool storeName(const std::string& ansi, std::string* name) const {
    if (ansi.find_first_of("\r\n") != std::string::npos) return false;
    // Every ANSI code page keeps ASCII as it is, and so does UTF-8: most
    // names need no conversion.
    *name = isAscii(ansi) ? ansi : simhost::utf16ToUtf8(fromCodePage(ansi, codePage_));
    return true;
  }

  std::string toAnsi(const std::string& storeText) const {
    if (isAscii(storeText)) return storeText;
    std::u16string units;
    simhost::utf8ToUtf16(storeText, &units);
    return toCodePage(units, codePage_);
  }

  std::shared_ptr<simhost::RegistryStore> store_;
  uint32_t codePage_;
};

}  // namespace

std::unique_ptr<Registry> makeSimRegistry(const simhost::HostDir& dir, uint32_t ansiCodePage) {
  return makeSimRegistry(std::make_shared<simhost::RegistryStore>(dir), ansiCodePage);
}

std::unique_ptr<Registry> makeSimRegistry(std::shared_ptr<simhost::RegistryStore> store, uint32_t ansiCodePage) {
  return std::make_unique<SimRegistry>(std::move(store), ansiCodePage);
}

bool checkSimRegistry(const simhost::HostDir& dir, std::string* error) {
  return simhost::RegistryStore(dir).check(error);
}

}  // namespace platform
