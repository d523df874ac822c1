// The files the wrapper uses by fixed name, relative to the current
// directory (the lock file excepted: it lives in the temporary directory).
#pragma once

namespace keelson {

inline constexpr const char* kDiscoveryTempFile = "tempNicList.xml";
inline constexpr const char* kHwFlagCaptureFile = "hwflagStatus.dat";
inline constexpr const char* kConfigurationFile = "NICFWData.xml";
inline constexpr const char* kLockFileName = "corvane_lock_file";
inline constexpr const char* kFlashTool = "burnkit.exe";
inline constexpr const char* kWrapperProgram = "Keelson.exe";
inline constexpr const char* kFlashTool64 = "burnkit_x64.exe";

// The product name of the banner, the console title and the version report.
inline constexpr const char* kUtilityName =
    "Orland Kestrel-Series Corvane Z3 Online Firmware Upgrade Utility for Windows";

}  // namespace keelson
