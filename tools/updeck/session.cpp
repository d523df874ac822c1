#include "tools/updeck/session.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/common/codepage.h"
#include "platform/host.h"
#include "platform/library.h"
#include "tools/updeck/host_log.h"

namespace updeck {

namespace {

// The plug-in's library in the component directory.
constexpr char kPluginName[] = "Brightwell";

// The manager's buffers.
constexpr uint32_t kTextChars = 1024;

// The record of GetProperty id 5, as the manager allocates it.
struct InstallStateRecord {
  int32_t state;
  char16_t message[1024];
};
static_assert(sizeof(InstallStateRecord) == 2052);

using GetInterfaceVersionFn = int32_t (*)(int32_t*);
using GetPropertyFn = int32_t (*)(int32_t, void*, uint32_t, intptr_t);
using InstallFn = int32_t (*)(int32_t, void*, char16_t*, int32_t, const char16_t*);

constexpr uint32_t kUtf8 = 65001;

std::string utf8(const char16_t* text) { return platform::toCodePage(std::u16string(text), kUtf8); }

// The manager's language code: the UI language's primary part.
std::u16string languageCode() {
  std::string tag = platform::host().system().uiLanguage();
  tag = tag.substr(0, tag.find_first_of("-_"));
  return std::u16string(tag.begin(), tag.end());
}

struct Exports {
  GetInterfaceVersionFn getInterfaceVersion = nullptr;
  GetPropertyFn getProperty = nullptr;
  InstallFn install = nullptr;
};

bool resolve(platform::Library& library, Exports* exports, std::string* error) {
  exports->getInterfaceVersion = reinterpret_cast<GetInterfaceVersionFn>(library.symbol("GetInterfaceVersion"));
  exports->getProperty = reinterpret_cast<GetPropertyFn>(library.symbol("GetProperty"));
  exports->install = reinterpret_cast<InstallFn>(library.symbol("Install"));
  for (auto [address, name] : {std::pair<void*, const char*>{reinterpret_cast<void*>(exports->getInterfaceVersion),
                                                              "GetInterfaceVersion"},
                               {reinterpret_cast<void*>(exports->getProperty), "GetProperty"},
                               {reinterpret_cast<void*>(exports->install), "Install"}}) {
    if (!address) {
      *error = std::string("the plug-in does not export ") + name;
      return false;
    }
  }
  return true;
}

void askProperties(const Exports& exports, const std::u16string& language, SessionOutcome* outcome) {
  const auto extra = reinterpret_cast<intptr_t>(language.c_str());
  const std::pair<int32_t, const char*> textIds[] = {
      {1, "PropName"}, {2, "PropDescription"}, {3, "PropCurrentVersion"}, {4, "PropVersion"}};
  for (auto [id, name] : textIds) {
    char16_t buffer[kTextChars] = {};
    PropertyAnswer answer{id, name, exports.getProperty(id, buffer, kTextChars, extra), {}, {}};
    if (answer.result) answer.text = utf8(buffer);
    outcome->properties.push_back(answer);
  }
  auto record = std::make_unique<InstallStateRecord>();
  record->state = 0;
  record->message[0] = u'\0';
  InstallStateAnswer state;
  state.result = exports.getProperty(5, record.get(), sizeof(InstallStateRecord), extra);
  state.state = record->state;
  record->message[kTextChars - 1] = u'\0';
  state.message = utf8(record->message);
  outcome->installState = state;
  const std::pair<int32_t, const char*> numberIds[] = {
      {6, "PropSilentInstall"}, {7, "PropSilentInstall2"}, {8, "PropConstantOne"}};
  for (auto [id, name] : numberIds) {
    int32_t number = -1;
    PropertyAnswer answer{id, name, exports.getProperty(id, &number, sizeof number, 0), {}, {}};
    if (answer.result) answer.number = number;
    outcome->properties.push_back(answer);
  }
}

}  // namespace

bool runSession(const Request& request, SessionOutcome* outcome, std::string* error) {
  // The manager runs its components from the component's directory.
  std::error_code ec;
  std::filesystem::current_path(request.componentDir, ec);
  if (ec) {
    *error = "cannot enter the component directory " + request.componentDir + ": " + ec.message();
    return false;
  }
  platform::System& system = platform::host().system();
  outcome->hostCommandLine = system.commandLine();

  std::u16string logDir = system.fromAnsi(request.logDir);
  HostLog log(logDir.empty() ? nullptr : logDir.c_str());
  log.SetVerbose(request.verbose ? 1 : 0);
  log.Open();
  log.WriteHeader();

  std::unique_ptr<platform::Library> library = platform::loadLibrary("./" + platform::libraryFileName(kPluginName), error);
  Exports exports;
  if (!library || !resolve(*library, &exports, error)) {
    log.WriteFooter(kUpdeckFailed);
    log.Close();
    return false;
  }
  exports.getInterfaceVersion(&outcome->interfaceVersion);
  outcome->loggerResult = exports.getProperty(9, static_cast<brightwell::CCmpLog*>(&log), 0, 0);

  const std::u16string language = languageCode();
  if (request.command == Command::Properties) {
    askProperties(exports, language, outcome);
  } else {
    char16_t message[kTextChars] = {};
    InstallAnswer install;
    install.silent = request.silent;
    install.result = exports.install(request.silent ? 1 : 0, nullptr, message, 0, language.c_str());
    message[kTextChars - 1] = u'\0';
    install.message = utf8(message);
    outcome->install = install;
  }
  // Unloading destroys the component, which never deletes a log it was
  // handed; updeck's log ends after it.
  library.reset();
  outcome->hostLogEntries = log.entries();
  log.WriteFooter(exitCodeOf(request, *outcome));
  log.Close();
  return true;
}

int exitCodeOf(const Request& request, const SessionOutcome& outcome) {
  if (request.command == Command::Install && outcome.install) return outcome.install->result;
  return 0;
}

std::string stateName(int32_t state) {
  static const char* const kNames[] = {"",           "SameVersion",   "OlderVersion",  "NewerVersion",
                                       "NoHardwareInstalled", "NotInstalled", "NotApplicable", "CannotInstall",
                                       "Undetermined"};
  return state >= 1 && state <= 8 ? kNames[state] : "";
}

}  // namespace updeck
