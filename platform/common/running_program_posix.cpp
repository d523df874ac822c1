#include <filesystem>
#include <system_error>

#include "platform/common/running_program.h"

namespace platform {

std::string runningProgramPath() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

}  // namespace platform
