// updeck's own log object, the one it hands to the plug-in as the update
// manager hands its own: a CCmpLog with the shared layout and slot order,
// whose Log also counts what the component wrote through it.
#pragma once

#include <cstdint>

#include "plugin/include/brightwell/cmp_log.h"

namespace updeck {

class HostLog : public brightwell::CCmpLog {
 public:
  // The verbose log is "updeck.log" in directory (the default log directory
  // when empty).
  explicit HostLog(const char16_t* directory);

  void Log(int32_t target, int32_t severity, const char16_t* source, int32_t line, const char16_t* format,
           ...) override;

  // Log calls made through this object since it was created.
  uint32_t entries() const { return entries_; }

 private:
  uint32_t entries_ = 0;
};

}  // namespace updeck
