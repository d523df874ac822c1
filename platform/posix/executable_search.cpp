// Program lookup as Windows does it for a command line, mapped onto Linux
// files: the caller's own directory comes first (so a tool finds its sibling
// programs before any of the same name elsewhere) and ".exe" names the
// extensionless file the build produces.
#include "platform/posix/executable_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool endsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".exe";
}

// The name as Windows would open it: ".exe" added when the last component
// has no extension; a trailing dot (which Windows drops) stops that.
std::string withDefaultExtension(std::string name) {
  size_t base = name.find_last_of('/');
  base = base == std::string::npos ? 0 : base + 1;
  if (!name.empty() && name.back() == '.') {
    name.pop_back();
    return name;
  }
  if (name.find('.', base) == std::string::npos) name += ".exe";
  return name;
}

// The file for one candidate path: itself, or without ".exe".
std::string existing(const std::string& path) {
  if (isExecutableFile(path)) return path;
  if (endsWithExe(path)) {
    std::string bare = path.substr(0, path.size() - 4);
    if (isExecutableFile(bare)) return bare;
  }
  return {};
}

std::string join(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

}  // namespace

SearchPlaces searchPlacesOfThisProcess(std::vector<std::string> systemDirectories) {
  SearchPlaces places;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) places.ownDirectory = self.parent_path().string();
  std::filesystem::path current = std::filesystem::current_path(ec);
  if (!ec) places.currentDirectory = current.string();
  places.systemDirectories = std::move(systemDirectories);
  if (const char* path = std::getenv("PATH")) {
    std::string list = path;
    size_t start = 0;
    while (start <= list.size()) {
      size_t colon = list.find(':', start);
      if (colon == std::string::npos) colon = list.size();
      // An empty PATH element means the current directory, as the shell reads it.
      std::string entry = list.substr(start, colon - start);
      places.path.push_back(entry.empty() ? places.currentDirectory : entry);
      start = colon + 1;
    }
  }
  return places;
}

std::string searchExecutable(const std::string& name, const SearchPlaces& places) {
  if (name.empty()) return {};
  std::string unixName = name;
  std::replace(unixName.begin(), unixName.end(), '\\', '/');
  const std::string file = withDefaultExtension(unixName);

  if (file.find('/') != std::string::npos) {
    std::string path = file.front() == '/' ? file : join(places.currentDirectory, file);
    return existing(std::filesystem::path(path).lexically_normal().string());
  }
  std::vector<const std::string*> order{&places.ownDirectory, &places.currentDirectory};
  for (const std::string& d : places.systemDirectories) order.push_back(&d);
  for (const std::string& d : places.path) order.push_back(&d);
  for (const std::string* directory : order) {
    if (directory->empty()) continue;
    if (std::string found = existing(join(*directory, file)); !found.empty()) return found;
  }
  return {};
}

}  // namespace platform
