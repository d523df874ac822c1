// Registry places and device naming shared by everything that provisions a
// simulated host: the keys Windows keeps network adapters under, and the
// deterministic GUIDs, instance ids and names of new functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/registry/registry_tree.h"

namespace simhost {

inline constexpr const char* kNetClassGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kNetworkKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
inline constexpr const char* kCorvaneService = "CVND5OR";

// 64-bit FNV-1a, the seed of every generated identity, so that a host built
// twice from the same commands is the same host.
uint64_t stableHash(const std::string& text);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" from a seed text.
std::string stableGuid(const std::string& seed);

// Registry value data as the registry holds it (texts in UTF-16LE with NUL).
void setText(RegistryKey& key, const std::string& name, const std::string& text);
void setDword(RegistryKey& key, const std::string& name, uint32_t value);
std::string textValue(const RegistryKey& key, const std::string& name);

// The connection name of a network function ("Name" under
// {guid}\Connection), empty when it has none.
std::string connectionName(const RegistryTree& tree, const std::string& guid);
// "Local Area Connection", then "Local Area Connection 2", ... as Windows
// names new connections: the first that is not taken.
std::string nextConnectionName(const RegistryTree& tree);
bool connectionNameTaken(const RegistryTree& tree, const std::string& name);
// The next free adapter instance under the class key ("0000", "0001", ...).
std::string nextClassSubkey(const RegistryTree& tree);

// One network function registered the way the network class installer does:
// its connection under the network key and its adapter instance under the
// class key. Returns the driver key "{class guid}\NNNN".
struct NetFunctionRegistration {
  std::string guid;
  std::string connection;
  std::string instanceId;
  std::string description;
  std::string provider;
  std::string matchingDeviceId;  // "pci\ven_4040&dev_0100"
  std::string driverVersion;     // "4.0.593.0"
};
std::string registerNetFunction(RegistryTree& tree, const NetFunctionRegistration& function);

// "PCI bus 5, device 0, function 1" and its "5:0.1" short form.
std::string locationText(uint32_t bus, uint32_t device, uint32_t function);
std::string locationShort(uint32_t bus, uint32_t device, uint32_t function);

}  // namespace simhost
