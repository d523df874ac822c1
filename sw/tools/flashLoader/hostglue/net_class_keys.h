// Where Windows keeps its network adapters: the network key (one subkey per
// network component, named by its NetCfgInstanceId, with the connection name
// under "Connection") and the network-adapter class key (one subkey per
// adapter instance, with its NetCfgInstanceId).
#pragma once

#include <cstddef>

inline constexpr const char* kNetClassGuidText = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kNetworkKeyPath =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kNetClassKeyPath =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// Registry texts are read into 255-byte buffers.
inline constexpr size_t kRegistryTextMax = 254;
