#include "sw/tools/flashLoader/hostglue/connection_lookup.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <unordered_map>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/host_index.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

std::vector<std::string> g_interface_list;

namespace {

const bool kReset = register_state_reset([] { g_interface_list.clear(); });

}  // namespace

namespace {

using platform::WinError;

// The message texts of one caller of the walk.
struct WalkMessages {
  const char* createFailed;
  const char* openFailed;  // with the error and a line number
  const char* enumFailed;  // with the error and a line number
};

constexpr WalkMessages kPlainMessages{"Creating Registry Key Failed\n", "RegOpenKeyEx failed %d Line:%d\n",
                                      "RegEnumKeyEx failed %d Line:%d\n"};
constexpr WalkMessages kNetCfgIdMessages{"Get_NetCfgId:Creating Registry Key Failed\n",
                                         "Get_NetCfgId:RegOpenKeyEx failed %d Line:%d\n",
                                         "Get_NetCfgId:RegEnumKeyEx failed %d Line:%d\n"};

// The network components that have a connection name, in registry order,
// as the last clean walk found them.
struct ConnectionEntry {
  std::string component;
  std::string name;
};
struct KeptConnections {
  std::vector<ConnectionEntry> entries;
  std::unordered_map<std::string, std::vector<size_t>> byName;  // positions by folded name
};
HostIndexed<std::optional<KeptConnections>> g_connections;

// The kept components named connectionName, in walk order; nothing when
// the run keeps no clean walk yet.
std::optional<std::vector<std::string>> kept_components_named(const std::string& connectionName) {
  std::optional<KeptConnections>& kept = g_connections.value();
  if (!kept) return std::nullopt;
  std::vector<std::string> components;
  auto found = kept->byName.find(folded_case(connectionName));
  if (found != kept->byName.end())
    for (size_t position : found->second) components.push_back(kept->entries[position].component);
  return components;
}

// Calls visit(subkey name, connection name) for every network component
// that has a connection name. 1 when the enumeration ends normally, 0 on a
// registry error. A component without a "Connection" subkey is no
// connection and is passed over silently. A walk that ends normally without
// a message is kept for the rest of the run (host_index.h).
int walk_connections(const WalkMessages& messages,
                     const std::function<void(const std::string&, const std::string&)>& visit) {
  std::optional<KeptConnections>& kept = g_connections.value();
  if (kept) {
    for (const ConnectionEntry& entry : kept->entries) visit(entry.component, entry.name);
    return 1;
  }
  platform::Registry& registry = platform::host().registry();
  platform::RegKey network;
  if (registry.createKey(kNetworkKeyPath, &network) != platform::kErrorSuccess) {
    out_printf("%s", messages.createFailed);
    return 0;
  }
  std::vector<ConnectionEntry> found;
  bool clean = true;
  for (uint32_t index = 0;; ++index) {
    std::string component;
    WinError error = registry.enumSubkey(network, index, &component);
    if (error == platform::kErrorNoMoreItems) {
      if (clean) {
        KeptConnections walked{std::move(found), {}};
        for (size_t i = 0; i < walked.entries.size(); ++i)
          walked.byName[folded_case(walked.entries[i].name)].push_back(i);
        kept = std::move(walked);
      }
      return 1;
    }
    if (error != platform::kErrorSuccess) {
      out_printf(messages.enumFailed, static_cast<int>(error), __LINE__);
      return 0;
    }
    platform::RegKey connection;
    error = registry.openKey(platform::regJoin(kNetworkKeyPath, component + "\\Connection"), &connection);
    if (error == platform::kErrorFileNotFound) continue;
    if (error != platform::kErrorSuccess) {
      out_printf(messages.openFailed, static_cast<int>(error), __LINE__);
      clean = false;
      continue;
    }
    platform::RegValue name;
    if (registry.queryValue(connection, "Name", &name) != platform::kErrorSuccess) continue;
    std::string text = name.text();
    if (text.size() > kRegistryTextMax) continue;  // does not fit the value buffer: no answer
    visit(component, text);
    found.push_back({component, std::move(text)});
  }
}

bool same_name(const std::string& a, const std::string& b) { return equal_ignoring_case(a, b); }

}  // namespace

int build_interface_list() {
  g_interface_list.clear();
  return walk_connections(kPlainMessages, [](const std::string&, const std::string& name) {
    if (name.size() <= kInterfaceListNameMax && g_interface_list.size() < kInterfaceListMax)
      g_interface_list.push_back(name);
  });
}

int Get_Instance_Id(const std::string& connectionName, std::vector<std::string>* instanceIds) {
  instanceIds->clear();
  if (std::optional<std::vector<std::string>> kept = kept_components_named(connectionName)) {
    *instanceIds = std::move(*kept);
    return 1;
  }
  return walk_connections(kPlainMessages, [&](const std::string& component, const std::string& name) {
    if (same_name(name, connectionName)) instanceIds->push_back(component);
  });
}

int Get_NetCfgId(const std::string& connectionName, std::string* instanceId) {
  instanceId->clear();
  if (std::optional<std::vector<std::string>> kept = kept_components_named(connectionName)) {
    if (!kept->empty()) *instanceId = kept->back();
    return 1;
  }
  return walk_connections(kNetCfgIdMessages, [&](const std::string& component, const std::string& name) {
    if (same_name(name, connectionName)) *instanceId = component;
  });
}
