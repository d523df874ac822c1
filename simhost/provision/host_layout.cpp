#include "simhost/provision/host_layout.h"

#include <cstdio>

#include "simhost/machine/text_case.h"
#include "simhost/registry/unicode_text.h"

namespace simhost {

uint64_t stableHash(const std::string& text) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

// Spreads FNV's output over every bit, so that similar seeds (ports of one
// card) give GUIDs that do not look alike.
static uint64_t mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string stableGuid(const std::string& seed) {
  uint64_t a = mix(stableHash(seed));
  uint64_t b = mix(stableHash(seed + "#2"));
  char text[64];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(a >> 32),
                static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                static_cast<unsigned>(b >> 48), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return text;
}

void setText(RegistryKey& key, const std::string& name, const std::string& text) {
  std::u16string wide;
  utf8ToUtf16(text, &wide);
  wide.push_back(u'\0');
  key.setValue(name, kRegSz, utf16ToLeBytes(wide));
}

void setDword(RegistryKey& key, const std::string& name, uint32_t value) {
  key.setValue(name, kRegDword,
               {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

std::string textValue(const RegistryKey& key, const std::string& name) {
  const RegistryValue* value = key.findValue(name);
  if (value == nullptr || (value->type != kRegSz && value->type != kRegExpandSz)) return std::string();
  std::u16string wide = utf16FromLeBytes(value->data);
  size_t nul = wide.find(u'\0');
  if (nul != std::u16string::npos) wide.resize(nul);
  return utf16ToUtf8(wide);
}

std::string connectionName(const RegistryTree& tree, const std::string& guid) {
  const RegistryKey* connection = tree.find(std::string(kNetworkKey) + "\\" + guid + "\\Connection");
  return connection ? textValue(*connection, "Name") : std::string();
}

bool connectionNameTaken(const RegistryTree& tree, const std::string& name) {
  const RegistryKey* network = tree.find(kNetworkKey);
  if (network == nullptr) return false;
  for (size_t i = 0; i < network->subkeyCount(); ++i) {
    const RegistryKey* connection = network->subkey(i).findSubkey("Connection");
    if (connection && simhost::sameTextIgnoringCase(textValue(*connection, "Name"), name)) return true;
  }
  return false;
}

std::string nextConnectionName(const RegistryTree& tree) {
  const std::string base = "Local Area Connection";
  if (!connectionNameTaken(tree, base)) return base;
  for (int n = 2;; ++n) {
    std::string name = base + " " + std::to_string(n);
    if (!connectionNameTaken(tree, name)) return name;
  }
}

std::string nextClassSubkey(const RegistryTree& tree) {
  const RegistryKey* cls = tree.find(kClassKey);
  for (int n = 0;; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", n);
    if (cls == nullptr || cls->findSubkey(name) == nullptr) return name;
  }
}

std::string registerNetFunction(RegistryTree& tree, const NetFunctionRegistration& f) {
  RegistryKey& connection = tree.create(std::string(kNetworkKey) + "\\" + f.guid + "\\Connection");
  connection.markSection();
  setText(connection, "Name", f.connection);
  setText(connection, "PnpInstanceID", f.instanceId);
  setDword(connection, "MediaSubType", 1);

  std::string subkey = nextClassSubkey(tree);
  RegistryKey& instance = tree.create(std::string(kClassKey) + "\\" + subkey);
  instance.markSection();
  setText(instance, "DriverDesc", f.description);
  setText(instance, "ProviderName", f.provider);
  setText(instance, "DriverVersion", f.driverVersion);
  setText(instance, "MatchingDeviceId", f.matchingDeviceId);
  setText(instance, "ComponentId", f.matchingDeviceId);
  setDword(instance, "Characteristics", 0x84);
  setText(instance, "NetCfgInstanceId", f.guid);
  return std::string(kNetClassGuid) + "\\" + subkey;
}

std::string locationText(uint32_t bus, uint32_t device, uint32_t function) {
  return "PCI bus " + std::to_string(bus) + ", device " + std::to_string(device) + ", function " +
         std::to_string(function);
}

std::string locationShort(uint32_t bus, uint32_t device, uint32_t function) {
  return std::to_string(bus) + ":" + std::to_string(device) + "." + std::to_string(function);
}

}  // namespace simhost
