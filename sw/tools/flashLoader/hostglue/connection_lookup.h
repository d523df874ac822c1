// Connection names under the network key: the list of every connection, and
// the NetCfgInstanceIds behind one name (compared without case).
#pragma once

#include <string>
#include <vector>

// Connection names of every network connection, in registry order, as the
// interface list keeps them: at most 1024 entries of 99 characters (a longer
// name cannot be kept whole and is left out).
inline constexpr size_t kInterfaceListMax = 1024;
inline constexpr size_t kInterfaceListNameMax = 99;
extern std::vector<std::string> g_interface_list;

// Rebuilds g_interface_list. 1 when the enumeration ends normally; 0 when it
// stops on a registry error (the names read so far are kept).
int build_interface_list();

// Every NetCfgInstanceId whose connection name equals the name (without
// case). 1 = done, 0 = registry error.
int Get_Instance_Id(const std::string& connectionName, std::vector<std::string>* instanceIds);

// The same walk with one result, the last match (empty when none matched).
int Get_NetCfgId(const std::string& connectionName, std::string* instanceId);
