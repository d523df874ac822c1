// What the discovery keeps for the version report besides the adapter list.
#pragma once

#include <string>

namespace keelson {

struct VersionReportValues {
  std::string currentVersion;  // "active_version" of the last device read
  std::string packageVersion;  // "rom" of the last catalog entry matched
  std::string takesEffect;     // "takes_effect" of the report
  bool written = false;        // the version report was written by this process
};

VersionReportValues& versionReportValues();

// Writes the version report to the run's report file and logs it.
void writeVersionReport();

}  // namespace keelson
