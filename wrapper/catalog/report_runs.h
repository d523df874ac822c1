// The runs that deal in report files: -d and -u have the flash tool write or
// act on a discovery report; -v writes the wrapper's version report.
#pragma once

#include <string>

namespace keelson {

// mode "discover" (-d) or "update" (-u), on the run's report file.
// 1 done, 0 failed, 3 no supported adapter.
int runReportCommand(const std::string& mode);

// -v: 0 the report file exists afterwards, 1 it does not, 3 no supported
// adapter.
int runVersionReport();

}  // namespace keelson
