// The component's life: construction with its own log, initialisation from
// the host's command line and the package files, the hand-over of the log
// to the update manager, and the end.
#include <cstdio>

#include "platform/files.h"
#include "platform/host.h"
#include "plugin/CStr/wide_format.h"
#include "plugin/Source/basecomp/base_component.h"

namespace brightwell {

namespace {

std::u16string hostCommandLine() {
  platform::System& system = platform::host().system();
  return system.fromAnsi(system.commandLine());
}

// The framework's console for "/consoleout": a screen buffer of 500 lines
// with the standard streams written through at once.
void openConsoleOutput() {
  platform::host().console().setBufferSize(80, 500);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

}  // namespace

CBaseComponent::CBaseComponent() : log_(new CCmpLog(nullptr, nullptr)) {}

CBaseComponent::~CBaseComponent() {
  Cleanup();
  // The component's own log ends with it; a log handed over by the caller
  // stays the caller's.
  if (ownsLog_ && log_) {
    log_->Close();
    delete log_;
  }
  log_ = nullptr;
}

void CBaseComponent::Cleanup() {
  delete packageReader_;
  packageReader_ = nullptr;
}

void CBaseComponent::trace(int32_t line, const char16_t* text) {
  log_->Log(LogTraceVerbose, SeverityNone, kBaseSource, line, u"%s", text);
}

void CBaseComponent::answer(const char16_t* text) { log_->Log(LogTextVerbose, SeverityNone, nullptr, 0, u"%s", text); }

void CBaseComponent::question(int32_t line, const char16_t* text) {
  log_->Log(LogTraceBoth, SeverityNone, kBaseSource, line, u"%s", text);
}

void CBaseComponent::answerBoth(const char16_t* text) {
  log_->Log(LogTextBoth, SeverityNone, nullptr, 0, u"%s", text);
}

int32_t CBaseComponent::Initialize() {
  int32_t result = 1;
  std::u16string commandLine = hostCommandLine();
  if (findNoCase(commandLine, u"/verbose_log") != std::u16string::npos) log_->SetVerbose(1);
  if (findNoCase(commandLine, u"/consoleout") != std::u16string::npos) openConsoleOutput();
  log_->Open();

  trace(__LINE__, u"Detecting if 64-bit operating system... \r\n");
  is64Bit_ = Is64BitOS();

  trace(__LINE__, u"Locating package definition file... ");
  char16_t packageFile[kPathChars] = {};
  if (FindPackageFile(packageFile, kPathChars)) {
    answer(u"Done.\r\n");
    trace(__LINE__, u"    - Reading package definition file... ");
    if (ReadPackageFile(packageFile) == 0) {
      answer(u"Done.\r\n");
    } else {
      answer(u"Failed!\r\n");
      result = 0;
    }
  } else {
    answer(u"Failed!\r\n");
  }

  trace(__LINE__, u"Checking for install.xml... ");
  if (platform::fileExists("install.xml")) {
    answer(u"Found.\r\n");
    trace(__LINE__, u"    - Reading installer XML... ");
    if (ReadInstallerFile(u"install.xml") == 0) {
      answer(u"Done.\r\n");
    } else {
      answer(u"Failed!\r\n");
      result = 0;
    }
  } else {
    answer(u"Not found.\r\n");
  }

  if (!supportedDevices_.empty()) {
    trace(__LINE__, u"Building PnP device list... ");
    buildPresentHardware();
    answer(u"Done.\r\n");
  }
  return result;
}

int32_t CBaseComponent::Is64BitOS() {
  platform::OsVersion os = platform::host().system().osVersion();
  if (os.platformId != 2) return 0;  // not Windows NT
  switch (os.processorArchitecture) {
    case 0:
      answer(u"    - Operating system is not 64-bit.\r\n");
      return 0;
    case 6:
      answer(u"    - Operating system is 64-bit.\r\n");
      answer(u"    - Operating system is IA-64 based.\r\n");
      return 1;
    case 9:
      answer(u"    - Operating system is 64-bit.\r\n");
      answer(u"    - Operating system is x64 based.\r\n");
      return 1;
    case 10:
      answer(u"    - Operating system is 64-bit.\r\n");
      return 1;
    default:
      return 0;
  }
}

void CBaseComponent::AdoptLogger(CCmpLog* callerLog) {
  if (callerLog == nullptr || callerLog == log_ || !log_->IsVerbose()) return;
  // Copies: the caller's fields are about to change.
  const std::u16string callerName = callerLog->VerboseFileName();
  const std::u16string callerDirectory = callerLog->VerboseDirectory();
  log_->RelocateVerboseLog(callerName.c_str(), callerDirectory.c_str());
  if (ownsLog_) {
    log_->Close();
    delete log_;
  }
  log_ = callerLog;
  ownsLog_ = false;
  std::u16string ownName = formatWideText(u"%s.exe.log", packageBaseName_);
  log_->RelocateVerboseLog(ownName.c_str(), callerDirectory.c_str());
}

}  // namespace brightwell
