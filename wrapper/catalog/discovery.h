// Discovery: the flash tool writes its report of every adapter, the wrapper
// reads it back and keeps the adapters its configuration knows.
#pragma once

#include <cstdint>
#include <string>

namespace keelson {

// Once per run (until the discovery flags are reset): loads the
// configuration, runs "burnkit.exe -d tempNicList.xml", reads the report and
// deletes it. The flash tool's exit code.
uint32_t discoverAdapters();

// Reads a discovery report into the run's adapter list; writes the version
// report when -v is set. 0 when at least one supported adapter was added,
// else 1.
int processDiscoveryReport(const std::string& fileName);

}  // namespace keelson
