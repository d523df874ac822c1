#include "simhost/machine/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace simhost {

bool readFile(const std::string& path, std::string* data, std::string* error) {
  // Every process of a host reads its state files, some of them many times:
  // a C stream straight into the string costs a fraction of a C++ one.
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) {
    if (error) *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  data->clear();
  char chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) data->append(chunk, got);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) {
    if (error) *error = path + ": cannot be read";
    return false;
  }
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
