// The wrapper's process exit codes, also the results of its run functions.
// For the version report (-v) 0 and 1 change places: 0 is success there.
#pragma once

namespace keelson {

inline constexpr int kExitFailed = 0;             // failed, refused or nothing run
inline constexpr int kExitDone = 1;               // done
inline constexpr int kExitNothingToDo = 3;        // no adapter, cancelled, nothing selected
inline constexpr int kExitUpdateRecommended = 4;  // -n: an adapter is older than the package
inline constexpr int kExitSameVersion = 5;        // -n: none older, none newer, one the same
inline constexpr int kExitNewerInstalled = 6;     // -n: none older, one newer

inline constexpr int kVersionReportCreated = 0;
inline constexpr int kVersionReportMissing = 1;

}  // namespace keelson
