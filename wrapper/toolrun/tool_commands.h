// The flash-tool command lines the wrapper builds. The report runs name the
// tool without ".exe", the others with it.
#pragma once

#include <string>

namespace keelson {

std::string discoveryCommand();                                  // "burnkit.exe -d tempNicList.xml"
std::string reportDiscoveryCommand(const std::string& file);     // "burnkit -d " + file
std::string reportUpdateCommand(const std::string& file);        // "burnkit -u " + file
std::string adapterUpgradeCommand(const std::string& location);  // "burnkit.exe -i " + location + " -f -a "
std::string hwFlagsInfoCommand(const std::string& location);     // "burnkit.exe -i " + location + " --info"
std::string hwFlagsClearCommand(const std::string& location);    // "burnkit.exe -i " + location + " --hwflags 0"

}  // namespace keelson
