// Whether the installed NIC driver allows this package's firmware to be
// written: boards below firmware 4.0.555 may only go to a package of 4.0.555
// or later while the driver is older than its limit.
#pragma once

#include <cstdint>
#include <string>

namespace keelson {

// 1 dependencies met, 0 not met or no supported adapter.
int verifyDependencies();

// The product version of a driver file in the system's drivers directory, as
// its two version double words (major << 16 | minor, build << 16 | revision).
bool readDriverVersion(const std::string& driverFile, uint32_t* versionMs, uint32_t* versionLs);

// True when that driver version allows the update.
bool checkDriverVersion(const std::string& driverFile, uint32_t versionMs, uint32_t versionLs);

}  // namespace keelson
