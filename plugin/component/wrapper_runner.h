// Running the upgrade wrapper as a child of the update manager's process.
// The wrapper is named by its bare file name; the platform's executable
// search finds it, and it inherits the host's current directory and
// environment. Only its exit code is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brightwell {

inline constexpr char kWrapperProgram[] = "Keelson.exe";
inline constexpr char kInteractiveTitle[] = "Orland Kestrel-Series Corvane Z3 Online Firmware Upgrade Utility for Windows";

// Runner results besides the child's own exit code.
inline constexpr uint32_t kRunnerSetupFailed = 11;   // the child's streams or the worker thread failed
inline constexpr uint32_t kRunnerStartFailed = 15;   // the child could not be created

// The wrapper's file name and each element, every one followed by a blank.
std::string wrapperCommandLine(const std::vector<std::string>& elements);

// The hidden run: no console, the child's standard streams on the null
// device (a talkative child can never block on a full pipe), started and
// waited for by a worker thread that is always joined. The child's exit code,
// or kRunnerStartFailed / kRunnerSetupFailed.
uint32_t runHidden(const std::string& commandLine);

// The interactive run of the non-silent install: the child shares the
// caller's console, titled kInteractiveTitle. Its exit code, or
// kRunnerStartFailed.
uint32_t runInteractive(const std::string& commandLine);

// A direct run with no streams of its own (standard streams on the null
// device): false when the child could not be created.
bool runDirect(const std::string& commandLine, uint32_t* exitCode);

}  // namespace brightwell
