#include "tools/updeck/host_log.h"

#include <cstdarg>
#include <string>

#include "plugin/CStr/wide_format.h"

namespace updeck {

namespace {

constexpr char16_t kStubVersion[] = u"updeck 1.0";

}  // namespace

HostLog::HostLog(const char16_t* directory) : CCmpLog(u"updeck.log", directory) { stubVersion = kStubVersion; }

void HostLog::Log(int32_t target, int32_t severity, const char16_t* source, int32_t line, const char16_t* format,
                  ...) {
  ++entries_;
  std::u16string text;
  if (format) {
    va_list args;
    va_start(args, format);
    text = brightwell::formatWide(format, args);
    va_end(args);
  }
  CCmpLog::Log(target, severity, source, line, u"%s", text.c_str());
}

}  // namespace updeck
