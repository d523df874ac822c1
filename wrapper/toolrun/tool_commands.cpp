#include "wrapper/toolrun/tool_commands.h"

#include "wrapper/state/file_names.h"

namespace keelson {

std::string discoveryCommand() { return std::string(kFlashTool) + " -d " + kDiscoveryTempFile; }
std::string reportDiscoveryCommand(const std::string& file) { return "burnkit -d " + file; }
std::string reportUpdateCommand(const std::string& file) { return "burnkit -u " + file; }
std::string adapterUpgradeCommand(const std::string& location) {
  return std::string(kFlashTool) + " -i " + location + " -f -a ";
}
std::string hwFlagsInfoCommand(const std::string& location) {
  return std::string(kFlashTool) + " -i " + location + " --info";
}
std::string hwFlagsClearCommand(const std::string& location) {
  return std::string(kFlashTool) + " -i " + location + " --hwflags 0";
}

}  // namespace keelson
