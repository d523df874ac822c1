#include "plugin/CCmpLog/log_texts.h"

#include "platform/files.h"
#include "platform/host.h"
#include "plugin/CStr/wide_format.h"

namespace brightwell {

const char16_t* severityPrefix(int32_t severity) {
  switch (severity) {
    case 1: return u"**WARNING** - ";
    case 2: return u"**ERROR** - ";
    case 3: return u"**CRITICAL** - ";
    default: return u"";
  }
}

const char16_t* headerFormat(int32_t severity) {
  switch (severity) {
    case 0: return u"[%s]::%s[%d] ";
    case 1: return u"[%s]::%s[%d] **WARNING** - ";
    case 2: return u"[%s]::%s[%d] **ERROR** - ";
    case 3: return u"[%s]::%s[%d] **CRITICAL** - ";
    default: return nullptr;
  }
}

std::u16string logTimeText(const std::tm& time) {
  return formatWideText(u"%02d:%02d:%02d", time.tm_hour, time.tm_min, time.tm_sec);
}

std::u16string logDateText(const std::tm& date) {
  return formatWideText(u"%d/%d/%d", date.tm_mon + 1, date.tm_mday, date.tm_year + 1900);
}

HostProgram hostProgram() {
  platform::System& system = platform::host().system();
  std::string path = system.programPath();
  HostProgram program;
  program.name = platform::widePath(path.substr(path.find_last_of("/\\") + 1));
  platform::FileVersion v;
  if (!path.empty() && system.fileVersion(path, &v) == platform::kErrorSuccess)
    program.version = formatWideText(u"%d.%d.%d.%d", static_cast<int>(v.fileMs >> 16), static_cast<int>(v.fileMs & 0xFFFF),
                                     static_cast<int>(v.fileLs >> 16), static_cast<int>(v.fileLs & 0xFFFF));
  return program;
}

}  // namespace brightwell
