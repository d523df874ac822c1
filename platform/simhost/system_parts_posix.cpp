// The simulated host's parts from Linux: OpenSSL, the terminal, fork and
// exec, and /proc.
#include <dirent.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>

#include "platform/common/crypto_openssl.h"
#include "platform/posix/console_posix.h"
#include "platform/posix/process_posix.h"
#include "platform/simhost/system_parts.h"
#include "simhost/machine/files.h"

namespace platform {

namespace {

// NUL-separated /proc texts.
std::vector<std::string> splitNul(const std::string& data) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    parts.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Windows names its programs "X.exe"; the Linux file is X.
std::string windowsImageName(const std::string& linuxName) {
  if (linuxName.size() > 4 && linuxName.compare(linuxName.size() - 4, 4, ".exe") == 0) return linuxName;
  return linuxName + ".exe";
}

}  // namespace

std::unique_ptr<Crypto> makeSystemCrypto() { return makeOpenSslCrypto(); }
std::unique_ptr<Console> makeSystemConsole(std::function<uint32_t()> closeGraceMs) {
  return makePosixConsole([closeGraceMs] { return std::chrono::milliseconds(closeGraceMs()); });
}
std::unique_ptr<Process> makeSystemProcess(std::vector<std::string> systemDirectories) {
  return makePosixProcess(std::move(systemDirectories));
}

WinError systemFreeBytes(const std::string& path, uint64_t* bytes) {
  struct statvfs st;
  if (::statvfs(path.c_str(), &st) != 0) return kErrorPathNotFound;
  *bytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
  return kErrorSuccess;
}

std::tm systemLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm result{};
  localtime_r(&now, &result);
  return result;
}

// Every live process whose environment names this host directory.
std::vector<std::string> hostProcessNames(const std::string& hostRoot) {
  std::vector<std::string> names;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return names;
  const std::string marker = "CORVANE_SIMHOST=" + hostRoot;
  while (dirent* entry = ::readdir(proc)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    std::string base = std::string("/proc/") + entry->d_name;
    std::string environ;
    if (!simhost::readFile(base + "/environ", &environ, nullptr)) continue;
    bool ours = false;
    for (const std::string& var : splitNul(environ)) {
      if (var == marker || var == marker + "/") ours = true;
    }
    if (!ours) continue;
    char target[4096];
    ssize_t n = ::readlink((base + "/exe").c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    target[n] = '\0';
    std::string exe = target;
    size_t slash = exe.rfind('/');
    names.push_back(windowsImageName(exe.substr(slash + 1)));
  }
  ::closedir(proc);
  return names;
}

std::string systemCommandLine() {
  std::string data;
  if (!simhost::readFile("/proc/self/cmdline", &data, nullptr)) return std::string();
  return buildCommandLine(splitNul(data));
}

std::string systemProgramPath() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

}  // namespace platform
