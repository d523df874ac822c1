// The component's operations that the update manager calls through the base
// class's property dispatch and through Install.
#include "plugin/component/component.h"

#include "platform/host.h"
#include "plugin/CStr/cstr.h"
#include "plugin/component/host_tokens.h"
#include "plugin/component/string_table.h"
#include "plugin/component/wrapper_runner.h"

namespace brightwell {

namespace {

constexpr uint32_t kRecordBytes = sizeof(InstallStateRecord);

// The wrapper's exit codes as the component reads them.
constexpr uint32_t kWrapperDone = 1;
constexpr uint32_t kWrapperNothingToDo = 3;
constexpr uint32_t kWrapperReportWritten = 0;
constexpr uint32_t kWrapperUpdateRecommended = 4;
constexpr uint32_t kWrapperSameVersion = 5;
constexpr uint32_t kWrapperNewerInstalled = 6;

void setMessage(char16_t* message, std::u16string_view text) {
  if (message) copyBounded(message, kStringBufferChars, text);
}

// A text of the host command line as the child's command-line bytes.
std::string commandText(const std::u16string& text) { return platform::host().system().toAnsi(text); }

bool doneOrNothingToDo(uint32_t code) { return code == kWrapperDone || code == kWrapperNothingToDo; }

}  // namespace

std::u16string managerCommandLine() {
  platform::System& system = platform::host().system();
  return system.fromAnsi(system.commandLine());
}

CComponent::~CComponent() = default;

void CComponent::trace(int32_t line, std::u16string_view text) {
  log_->Log(LogTraceVerbose, SeverityNone, kComponentSource, line, u"%s", std::u16string(text).c_str());
}

void CComponent::mainLog(std::u16string_view text) {
  log_->Log(LogToMain, SeverityNone, kComponentSource, __LINE__, u"%s", std::u16string(text).c_str());
}

int32_t CComponent::Install(int32_t silent, void*, char16_t* message, int32_t, const char16_t*) {
  trace(__LINE__, u"Entering Brightwell::Install function.\r\n");
  const std::u16string line = managerCommandLine();
  const bool force = hasForceToken(line);
  switch (requestOf(line)) {
    case HostRequest::Discovery: return discover(message, line);
    case HostRequest::UpgradeFromReport: return upgradeFromReport(message, line);
    case HostRequest::VersionReport: return versionReport(message, line);
    case HostRequest::Install: break;
  }
  return installFirmware(silent, force, message);
}

int32_t CComponent::discover(char16_t* message, const std::u16string& line) {
  std::u16string dependencyText(kStringBufferChars, u'\0');
  trace(__LINE__, u"Brightwell::Install - Discovery process.\r\n");
  optionValue_ = optionValue(line, HostRequest::Discovery);
  if (!AreDependenciesMet(dependencyText.data(), kStringBufferChars, u"en")) {
    mainLog(dependencyText.c_str());
    setMessage(message, dependencyText.c_str());
    trace(__LINE__, u"Exit Brightwell::Install function.  Dependencies failed.\r\n");
    return InstallFailed;
  }
  const uint32_t code = runHidden(wrapperCommandLine({"/d", commandText(optionValue_)}));
  if (doneOrNothingToDo(code)) {
    setMessage(message, loadString(7));
    mainLog(u"All firmware discovery successful.  Details in discovery xml file.\r\n"
            u"No firmware update operation was performed.\r\n");
    trace(__LINE__, u"Exit Brightwell::Install function. Discovery Complete.\r\n");
    return InstallNothingUpdated;
  }
  setMessage(message, loadString(8));
  mainLog(u"An error occured during hardware discovery. See log for more information.\r\n");
  return InstallFailed;
}

int32_t CComponent::upgradeFromReport(char16_t* message, const std::u16string& line) {
  optionValue_ = optionValue(line, HostRequest::UpgradeFromReport);
  const uint32_t code = runHidden(wrapperCommandLine({"/u", commandText(optionValue_)}));
  if (doneOrNothingToDo(code)) {
    setMessage(message, loadString(11));
    trace(__LINE__, u"Brightwell::Install -- Read the XML file and completed upgrade successfully.\r\n");
    return InstallCompleted;
  }
  setMessage(message, loadString(10));
  trace(__LINE__, u"Brightwell::Install -- Error reading XML file.\r\n");
  return InstallFailed;
}

// The wrapper writes its version report to a file named after "/v" and
// answers 0 when it wrote it and 3 when there was nothing to report.
int32_t CComponent::versionReport(char16_t* message, const std::u16string& line) {
  std::u16string dependencyText(kStringBufferChars, u'\0');
  if (!AreDependenciesMet(dependencyText.data(), kStringBufferChars, u"en")) {
    mainLog(dependencyText.c_str());
    setMessage(message, dependencyText.c_str());
    trace(__LINE__, u"Brightwell::Install -- Dependencies failed during version report.\r\n");
    return InstallFailed;
  }
  optionValue_ = versionReportFile(line);
  const uint32_t code = runHidden(wrapperCommandLine({"/v", commandText(optionValue_)}));
  if (code == kWrapperReportWritten) {
    setMessage(message, loadString(12));
    trace(__LINE__, u"Brightwell::Install -- Version report completed successfully.\r\n");
    return InstallCompleted;
  }
  if (code == kWrapperNothingToDo) {
    setMessage(message, loadString(13));
    trace(__LINE__, u"Brightwell::Install -- Version report: nothing to report.\r\n");
    return InstallNothingUpdated;
  }
  setMessage(message, loadString(8));
  trace(__LINE__, u"Brightwell::Install -- Version reporting failed.\r\n");
  return InstallFailed;
}

int32_t CComponent::installFirmware(int32_t silent, bool force, char16_t* message) {
  uint32_t code = 0;
  if (silent) {
    code = runHidden(force ? wrapperCommandLine({"/s", "/f"}) : wrapperCommandLine({"/s"}));
  } else {
    code = runInteractive(force ? wrapperCommandLine({"/f"}) : wrapperCommandLine({}));
  }
  int32_t result = InstallFailed;
  if (code == kWrapperDone) {
    setMessage(message, loadString(15));
    mainLog(u"All firmware installations were successful.  A reboot is required. See log for more information.");
    result = InstallRebootRequired;
  } else if (code == kWrapperNothingToDo) {
    setMessage(message, loadString(13));
    mainLog(u"All firmware is up to date. No updates were performed. See log for more information.");
    result = InstallNothingUpdated;
  } else {
    setMessage(message, loadString(14));
    mainLog(u"An error occured during the firmware installation or update process. See log for more information.");
  }
  trace(__LINE__, u"Exiting Brightwell::Install function.\r\n");
  return result;
}

int32_t CComponent::GetCurrentVersion(char16_t* buffer, uint32_t capacity) {
  trace(__LINE__, u"Entering Brightwell::GetCurrentVersion function.\r\n");
  const std::u16string_view text = kCurrentVersionText;
  if (buffer == nullptr || text.size() >= capacity) return 0;
  copyBounded(buffer, capacity, text);
  trace(__LINE__, u"Exit Brightwell::GetCurrentVersion function.\r\n");
  return 1;
}

int32_t CComponent::GetInstallState(InstallStateRecord* record, uint32_t size, const char16_t* language) {
  trace(__LINE__, u"Enter Brightwell::GetInstallState function.\r\n");
  const int32_t result = CBaseComponent::GetInstallState(record, size, language);
  if (record == nullptr || size < kRecordBytes) {
    trace(__LINE__, u"Exit Brightwell::GetInstallState function.\r\n");
    return 0;
  }
  auto append = [&](uint32_t id) { appendBounded(record->message, kInstallMessageChars, loadString(id)); };
  const std::u16string line = managerCommandLine();
  std::u16string_view exitLine = u"Exit Brightwell::GetInstallState function.\r\n";
  if (hasUpgradeToken(line)) {
    record->state = OlderVersion;
    append(5);
    exitLine = u"Exit Brightwell::GetInstallState function. ReadXML.\r\n";
  } else if (hasDiscoveryToken(line)) {
    record->state = OlderVersion;
    append(4);
    exitLine = u"Exit Brightwell::GetInstallState function. DiscoverXML.\r\n";
  } else if (record->state == SameVersion) {
    append(2);
  } else if (record->state == OlderVersion) {
    append(1);
  } else if (record->state == NewerVersion) {
    append(3);
  }
  trace(__LINE__, exitLine);
  return result;
}

int32_t CComponent::IsInstalled() {
  trace(__LINE__, u"Enter Brightwell::IsInstalled function.\r\n");
  const int32_t present = IsHardwarePresent();
  trace(__LINE__, u"Exit Brightwell::IsInstalled function.\r\n");
  return present;
}

int32_t CComponent::GetVersionStatus() {
  trace(__LINE__, u"Enter Brightwell::GetVersionStatus function.\r\n");
  const std::u16string line = managerCommandLine();
  if (hasUpgradeToken(line) || hasDiscoveryToken(line)) {
    trace(__LINE__, u"Exit Brightwell::GetVersionStatus function.  Reporting older.\r\n");
    return 0;
  }
  uint32_t code = 0;
  if (!runDirect(wrapperCommandLine({"/N"}), &code)) return 1;
  if (code < kWrapperUpdateRecommended || code > kWrapperNewerInstalled) code = kWrapperSameVersion;
  if (code == kWrapperUpdateRecommended) return 0;
  if (code == kWrapperNewerInstalled) return 2;
  return 1;
}

}  // namespace brightwell
