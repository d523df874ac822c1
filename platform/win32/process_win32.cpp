// CreateProcessA with the command line exactly as the caller wrote it. The
// program file is found first (the search order of CreateProcess, with extra
// directories of the host's own before System32), and handed over as the
// application name, so that the command line's program word stays as given.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

bool isRegularFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool hasExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of("\\/");
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  char last = dir.back();
  return last == '\\' || last == '/' ? dir + name : dir + "\\" + name;
}

std::string moduleDirectory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return n == 0 || n == MAX_PATH ? std::string() : directoryOf(std::string(path, n));
}

std::string currentDirectory() {
  char path[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, path);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(path, n);
}

std::string systemDirectoryPath(bool windows) {
  char path[MAX_PATH];
  UINT n = windows ? GetWindowsDirectoryA(path, MAX_PATH) : GetSystemDirectoryA(path, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(path, n);
}

// An inheritable handle the child gets as one of its standard streams, closed
// here once the child has it.
class InheritedHandle {
 public:
  InheritedHandle() = default;
  explicit InheritedHandle(HANDLE h, bool owned) : handle_(h), owned_(owned) {}
  InheritedHandle(InheritedHandle&& other) noexcept : handle_(other.handle_), owned_(other.owned_) {
    other.owned_ = false;
  }
  InheritedHandle& operator=(InheritedHandle&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(owned_, other.owned_);
    return *this;
  }
  ~InheritedHandle() {
    if (owned_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool owned_ = false;
};

SECURITY_ATTRIBUTES inheritable() {
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = TRUE;
  return sa;
}

// The environment block: the caller's variables with the given "NAME=VALUE"
// entries set on top (names without regard to letter case), sorted by name as
// Windows keeps it.
std::string environmentBlock(const std::vector<std::string>& overrides) {
  std::map<std::string, std::string> byName;  // upper-case name -> entry
  std::vector<std::string> hidden;            // "=C:=C:\..." entries keep their place first
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p; p += std::strlen(p) + 1) {
      std::string entry(p);
      if (entry.front() == '=') {
        hidden.push_back(entry);
        continue;
      }
      byName[upper(entry.substr(0, entry.find('=')))] = entry;
    }
    FreeEnvironmentStringsA(block);
  }
  for (const std::string& entry : overrides) byName[upper(entry.substr(0, entry.find('=')))] = entry;
  std::string result;
  for (const std::string& entry : hidden) result += entry + '\0';
  for (const auto& [name, entry] : byName) result += entry + '\0';
  result += '\0';
  return result;
}

class Win32Child : public Child {
 public:
  Win32Child(HANDLE process, int outputFd) : process_(process), outputFd_(outputFd) {}
  ~Win32Child() override {
    if (outputFd_ >= 0) _close(outputFd_);
    CloseHandle(process_);
  }

  uint32_t wait() override {
    if (!exitCode_) {
      DWORD code = 0xFFFFFFFFu;
      if (WaitForSingleObject(process_, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code))
        code = 0xFFFFFFFFu;
      exitCode_ = static_cast<uint32_t>(code);
    }
    return *exitCode_;
  }

  int outputPipe() const override { return outputFd_; }

 private:
  HANDLE process_;
  int outputFd_;
  std::optional<uint32_t> exitCode_;
};

// A process's creation time (GetProcessTimes), as one number; 0 when it
// cannot be read.
uint64_t creation_time(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

class Win32Process : public Process {
 public:
  explicit Win32Process(std::vector<std::string> extra) : extra_(std::move(extra)) {}

  ProcessStamp self() override { return {GetCurrentProcessId(), creation_time(GetCurrentProcess())}; }

  bool running(const ProcessStamp& stamp) override {
    if (stamp.id == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, stamp.id);
    if (process == nullptr) return false;
    DWORD code = 0;
    const bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
                       creation_time(process) == stamp.started;
    CloseHandle(process);
    return alive;
  }

  std::unique_ptr<Child> start(const std::string& commandLine, const StartOptions& options,
                               WinError* error) override {
    auto fail = [&](WinError code) -> std::unique_ptr<Child> {
      if (error) *error = code;
      return nullptr;
    };
    // An empty line would name this program itself; CreateProcess refuses it.
    if (commandLine.empty()) return fail(kErrorInvalidParameter);
    std::vector<std::string> words = splitCommandLine(commandLine);
    if (words.empty() || words[0].empty()) return fail(kErrorFileNotFound);
    std::string program = findExecutable(words[0]);
    if (program.empty()) return fail(kErrorFileNotFound);

    SECURITY_ATTRIBUTES sa = inheritable();
    InheritedHandle in, out, err;
    HANDLE pipeRead = INVALID_HANDLE_VALUE;
    if (WinError e = openInput(options.input, &sa, &in)) return fail(e);
    if (options.output.kind == StdStream::Pipe) {
      HANDLE pipeWrite;
      if (!CreatePipe(&pipeRead, &pipeWrite, &sa, 0)) return fail(lastWin32Error());
      SetHandleInformation(pipeRead, HANDLE_FLAG_INHERIT, 0);
      out = InheritedHandle(pipeWrite, true);
    } else if (WinError e = openOutput(options.output, STD_OUTPUT_HANDLE, &sa, &out)) {
      return fail(e);
    }
    if (options.error.kind == StdStream::Pipe && options.output.kind == StdStream::Pipe) {
      err = InheritedHandle(out.get(), false);
    } else if (options.error.kind == StdStream::File && options.output.kind == StdStream::File &&
               options.error.path == options.output.path) {
      err = InheritedHandle(out.get(), false);
    } else if (options.error.kind == StdStream::Pipe) {
      if (pipeRead != INVALID_HANDLE_VALUE) CloseHandle(pipeRead);
      return fail(kErrorInvalidParameter);
    } else if (WinError e = openOutput(options.error, STD_ERROR_HANDLE, &sa, &err)) {
      if (pipeRead != INVALID_HANDLE_VALUE) CloseHandle(pipeRead);
      return fail(e);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    bool redirected = options.input.kind != StdStream::Inherit || options.output.kind != StdStream::Inherit ||
                      options.error.kind != StdStream::Inherit;
    if (redirected) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = in.get();
      startup.hStdOutput = out.get();
      startup.hStdError = err.get();
    }
    std::string environment;
    if (!options.environment.empty()) environment = environmentBlock(options.environment);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, redirected ? TRUE : FALSE, 0,
                                  environment.empty() ? nullptr : environment.data(),
                                  options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str(),
                                  &startup, &info);
    if (!started) {
      WinError e = lastWin32Error();
      if (pipeRead != INVALID_HANDLE_VALUE) CloseHandle(pipeRead);
      return fail(e);
    }
    CloseHandle(info.hThread);
    int outputFd = -1;
    if (pipeRead != INVALID_HANDLE_VALUE) {
      outputFd = _open_osfhandle(reinterpret_cast<intptr_t>(pipeRead), _O_RDONLY | _O_BINARY);
      if (outputFd < 0) CloseHandle(pipeRead);
    }
    return std::make_unique<Win32Child>(info.hProcess, outputFd);
  }

  std::string findExecutable(const std::string& name) override {
    if (name.empty()) return std::string();
    std::vector<std::string> candidates{name};
    if (!hasExtension(name)) candidates.insert(candidates.begin(), name + ".exe");
    if (name.find_first_of("\\/") != std::string::npos || (name.size() > 1 && name[1] == ':')) {
      for (const std::string& c : candidates)
        if (isRegularFile(c)) return c;
      return std::string();
    }
    std::vector<std::string> places{moduleDirectory(), currentDirectory()};
    places.insert(places.end(), extra_.begin(), extra_.end());
    places.push_back(systemDirectoryPath(false));
    places.push_back(systemDirectoryPath(true));
    if (const char* path = std::getenv("PATH")) {
      std::string list = path;
      size_t start = 0;
      while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) places.push_back(list.substr(start, end - start));
        start = end + 1;
      }
    }
    for (const std::string& place : places) {
      if (place.empty()) continue;
      for (const std::string& c : candidates) {
        std::string path = joinPath(place, c);
        if (isRegularFile(path)) return path;
      }
    }
    return std::string();
  }

 private:
  static WinError openInput(const StdRedirect& r, SECURITY_ATTRIBUTES* sa, InheritedHandle* handle) {
    if (r.kind == StdStream::Inherit) {
      *handle = InheritedHandle(GetStdHandle(STD_INPUT_HANDLE), false);
      return kErrorSuccess;
    }
    if (r.kind == StdStream::Pipe) return kErrorInvalidParameter;
    const char* path = r.kind == StdStream::Null ? "NUL" : r.path.c_str();
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, sa, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastWin32Error();
    *handle = InheritedHandle(h, true);
    return kErrorSuccess;
  }

  static WinError openOutput(const StdRedirect& r, DWORD which, SECURITY_ATTRIBUTES* sa, InheritedHandle* handle) {
    if (r.kind == StdStream::Inherit) {
      *handle = InheritedHandle(GetStdHandle(which), false);
      return kErrorSuccess;
    }
    const char* path = r.kind == StdStream::Null ? "NUL" : r.path.c_str();
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, sa,
                           r.kind == StdStream::Null ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastWin32Error();
    *handle = InheritedHandle(h, true);
    return kErrorSuccess;
  }

  std::vector<std::string> extra_;
};

}  // namespace

std::unique_ptr<Process> makeWin32Process(std::vector<std::string> extraDirectories) {
  return std::make_unique<Win32Process>(std::move(extraDirectories));
}

}  // namespace platform
