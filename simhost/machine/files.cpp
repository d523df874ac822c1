#include "simhost/machine/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace simhost {

bool readFile(const std::string& path, std::string* data, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *data = buffer.str();
  return true;
}

bool makeDirectories(const std::string& path, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) {
    if (error) *error = path + ": cannot be created (" + ec.message() + ")";
    return false;
  }
  return true;
}

}  // namespace simhost
