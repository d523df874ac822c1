// The firmware of the Corvane Z3 adapters as one component of the update
// framework. It does no firmware work itself: every operation that touches
// the adapters runs the upgrade wrapper and maps the wrapper's exit code to
// the manager's return codes, messages and log lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/Source/basecomp/base_component.h"

namespace brightwell {

// Install results (the manager's InstallResult).
enum InstallResult : int32_t {
  InstallFailed = 0,
  InstallCompleted = 1,        // report written or applied
  InstallRebootRequired = 2,   // firmware installed successfully
  InstallNothingUpdated = 3,   // all up to date, or discovery report written
};

// The manager's interface version (GetInterfaceVersion).
inline constexpr int32_t kInterfaceVersion = 100;

// GetCurrentVersion's text.
inline constexpr char16_t kCurrentVersionText[] = u"See Information below.\r\n";

// The source name on the component's log lines.
inline constexpr char16_t kComponentSource[] = u"component.cpp";

class CComponent : public CBaseComponent {
 public:
  CComponent() = default;
  ~CComponent() override;

  int32_t Install(int32_t silent, void* reserved, char16_t* message, int32_t reserved2,
                  const char16_t* language) override;
  int32_t GetCurrentVersion(char16_t* buffer, uint32_t capacity) override;
  int32_t GetInstallState(InstallStateRecord* record, uint32_t size, const char16_t* language) override;
  int32_t IsInstalled() override;
  int32_t GetVersionStatus() override;
  int32_t AreDependenciesMet(char16_t* message, uint32_t capacity, const char16_t* language) override;

 private:
  // A verbose trace line (header with time, source and line) and a line of
  // the main log without prefix.
  void trace(int32_t line, std::u16string_view text);
  void mainLog(std::u16string_view text);

  int32_t discover(char16_t* message, const std::u16string& commandLine);
  int32_t upgradeFromReport(char16_t* message, const std::u16string& commandLine);
  int32_t versionReport(char16_t* message, const std::u16string& commandLine);
  int32_t installFirmware(int32_t silent, bool force, char16_t* message);

  // The option-value buffer: the module's only state between calls besides
  // the log and what Initialize read.
  std::u16string optionValue_;
};

// The update manager's command line, as the platform reports it for the
// host process.
std::u16string managerCommandLine();

}  // namespace brightwell
