#include "tools/romimage/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace romimage_tool {

bool readBinaryFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "cannot read " + path + ": " + std::strerror(EISDIR);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool writeBinaryFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace romimage_tool
