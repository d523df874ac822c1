// The start of every run: where the log lives, the banner, the console.
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/host.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/file_names.h"
#include "wrapper/state/run_state.h"
#include "wrapper/state/wrapper_version.h"

namespace keelson {

namespace {

constexpr const char* kProductNotice = "Upgrades the flash firmware of supported Corvane Z3 network adapters.";

// The C library's asctime form: "Thu Dec 10 14:38:30 2026\n".
std::string asctimeText(const std::tm& t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int day = t.tm_wday >= 0 && t.tm_wday < 7 ? t.tm_wday : 0;
  const int month = t.tm_mon >= 0 && t.tm_mon < 12 ? t.tm_mon : 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[day], kMonths[month], t.tm_mday, t.tm_hour,
                t.tm_min, t.tm_sec, 1900 + t.tm_year);
  return text;
}

}  // namespace

std::string logFilePathOfHost() {
  std::string drive = platform::host().system().systemDrive();
  if (!drive.empty() && drive.back() != '/' && drive.back() != '\\') drive += '/';
  return drive + "kstsystem/log/burnkit.log";
}

void prepareConsole() {
  platform::Console& console = platform::host().console();
  if (!console.outputIsConsole()) return;
  console.setWindowSize(120, 50);
  console.setBufferSize(120, 150);
}

void writeLogHeader() {
  RunState& state = runState();
  std::string drive = platform::host().system().systemDrive();
  if (!drive.empty() && drive.back() != '/' && drive.back() != '\\') drive += '/';
  // A drive where the directories cannot be made leaves the run without a
  // log; the entries still reach the console as they would.
  std::error_code ignored;
  std::filesystem::create_directory(drive + "kstsystem/", ignored);
  std::filesystem::create_directory(drive + "kstsystem/log/", ignored);
  state.logPath = logFilePathOfHost();

  const std::string rule(76, '-');
  WrapperLog banner;
  banner << "\n"
         << rule << "\n"
         << kUtilityName << " (" << wrapperFileVersion() << ")\n"
         << kProductNotice << "\n"
         << rule << "\n";
  banner.flush(true);

  platform::host().console().setTitle(kUtilityName);

  WrapperLog time;
  time << "Time: " << asctimeText(platform::host().system().localTime()) << std::string(30, '-');
  time.flush(false);
}

void printUsage() {
  static const char* const kEntries[] = {
      "USAGE: Keelson [ -s  ] [ -y  ] [ -c ] [ -h ] [ -d <fileName> ] [ -u <fileName> ] [ -n ] [ -v <fileName> ]",
      "With no options, interactively upgrade firmware,\n\t current firmware is saved.",
      "-s  Silent { Not with -c }",
      "-e  Enable re-write if the current firmware is the same, and upgrade if the current firmware is older.",
      "-g  Enable downgrade if the current firmware is newer, and upgrade if the current firmware is older.",
      "-c  Display currently installed firmware information.",
      "-h  Display this help menu.",
      "-d <fileName>  Generate xml discovery report to an XML file.",
      "-u <fileName>  Read XML discovery report and perform firmware upgrade.",
      "-n  No update is required just exit with firmware version status.( Used with Updeck.exe )",
      "-v <fileName> Generate XML report only with firmware version details.",
  };
  for (const char* entry : kEntries) {
    WrapperLog log;
    log << entry << "\n";
    log.flush(true);
  }
}

}  // namespace keelson
