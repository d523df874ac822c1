#include "wrapper/checks/verify_dependencies.h"

#include <array>
#include <sstream>

#include "platform/host.h"
#include "wrapper/catalog/discovery.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/run_state.h"
#include "wrapper/state/version_triple.h"

namespace keelson {

namespace {

constexpr VersionTriple kDriverRuleThreshold{4, 0, 555};
constexpr const char* kServer2003Driver = "orlnd5x64.sys";
constexpr const char* kLaterDriver = "svxgnd64.sys";

using FourPartVersion = std::array<uint32_t, 4>;

FourPartVersion split(uint32_t ms, uint32_t ls) { return {ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF}; }

std::string fourPartText(const FourPartVersion& v) {
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

// The 5.2 family (Server 2003) has its own driver.
std::string driverFileOfThisSystem() {
  const platform::OsVersion os = platform::host().system().osVersion();
  const bool nt = os.platformId == 2;
  return nt && os.major == 5 && os.minor > 1 ? kServer2003Driver : kLaterDriver;
}

}  // namespace

bool readDriverVersion(const std::string& driverFile, uint32_t* versionMs, uint32_t* versionLs) {
  platform::System& system = platform::host().system();
  platform::FileVersion version;
  if (system.fileVersion(system.systemDirectory() + "/drivers/" + driverFile, &version) != platform::kErrorSuccess)
    return false;
  *versionMs = version.productMs;
  *versionLs = version.productLs;
  return true;
}

bool checkDriverVersion(const std::string& driverFile, uint32_t versionMs, uint32_t versionLs) {
  const FourPartVersion installed = split(versionMs, versionLs);
  logEntry("Installed device driver version: " + fourPartText(installed), false);
  const FourPartVersion limit = driverFile.find(kServer2003Driver) != std::string::npos
                                    ? FourPartVersion{4, 0, 555, 0}
                                    : FourPartVersion{4, 3, 13, 702};
  if (installed[0] > 4) return false;
  if (installed < limit) return true;
  logEntry("Device driver " + driverFile + " must be version less than " + fourPartText(limit) +
               " in order to complete firmware update.The driver can be updated after the system is rebooted.",
           false);
  return false;
}

int verifyDependencies() {
  RunState& state = runState();
  discoverAdapters();
  if (state.supportedCount == 0 || state.adapters.empty()) {
    logEntry("verifyDependencies: No supported network adapters for firmware upgrade.", false);
    return 0;
  }
  bool allAtThreshold = true;
  for (const SupportedNic& nic : state.adapters) allAtThreshold = allAtThreshold && nic.installed >= kDriverRuleThreshold;
  if (allAtThreshold) {
    logEntry("All Solvane Z3 adapters have firmware version above or equal to v4.0.555.", false);
    state.dependenciesVerified = true;
    return 1;
  }
  const VersionTriple package = state.adapters.front().package;
  if (package < kDriverRuleThreshold) {
    logEntry("Firmware version in this package: " + versionText(package), false);
    state.dependenciesVerified = true;
    return 1;
  }
  logEntry("At least one Solvane Z3 adapter has a firmware version less than v4.0.555.Will verify whether the "
           "current device driver version is allowed for this update.",
           false);
  const std::string driver = driverFileOfThisSystem();
  uint32_t ms = 0, ls = 0;
  if (!readDriverVersion(driver, &ms, &ls)) {
    const std::string named = driver == kServer2003Driver ? driver : "(" + driver + ")";
    logEntry("Could not get device driver " + named +
                 " version details. Please make sure that device driver is properly installed!\n",
             true);
    return 0;
  }
  state.dependenciesVerified = true;
  return checkDriverVersion(driver, ms, ls) ? 1 : 0;
}

}  // namespace keelson
