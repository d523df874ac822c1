// The checks made before any work: no flash tool may be running (a lock it
// left behind is cleared), the caller must be an administrator, and the
// package's supporting files must be in the current directory.
#pragma once

#include <string>

namespace keelson {

// True lets the run go on. Makes the run's lock file name a full path in the
// temporary directory.
bool verifyInstance();

// The administrator check; logs success, writes the refusal to the console.
bool verifyAdministrator();

// "burnkit.exe", "NICFWData.xml" and "burnkit_x64.exe" in the current
// directory, the programs as the platform names them. Names each missing one
// on the console.
bool verifySupportingFiles();

}  // namespace keelson
