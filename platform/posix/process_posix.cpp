// CreateProcess over posix_spawn. The parent opens every redirection itself,
// as Windows hands a child inheritable handles, so that errors are reported
// before anything runs and stdout and stderr naming one file share one open
// file (both streams land in order). The child starts with no blocked signals
// and default dispositions: a console handler here blocks Ctrl+C in its
// caller, and a Windows child would not inherit that.
#include "platform/posix/process_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/posix/executable_search.h"

extern char** environ;

namespace platform {

namespace {

// A descriptor owned by one object, closed when it goes.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

WinError fromErrno(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY: return kErrorAccessDenied;
    case ENOEXEC: return kErrorBadExeFormat;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorGenFailure;
  }
}

// The caller's environment with the given "NAME=VALUE" entries set (an
// entry replaces a variable of the same name).
std::vector<std::string> childEnvironment(const std::vector<std::string>& added) {
  auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> out;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string text = *entry;
    bool replaced = false;
    for (const std::string& extra : added) replaced = replaced || nameOf(extra) == nameOf(text);
    if (!replaced) out.push_back(std::move(text));
  }
  out.insert(out.end(), added.begin(), added.end());
  return out;
}

class PosixChild : public Child {
 public:
  PosixChild(pid_t pid, Fd outputPipe) : pid_(pid), outputPipe_(std::move(outputPipe)) {}

  ~PosixChild() override {
    // Like closing a process handle, this does not stop the child; it is
    // reaped here only if it has already ended.
    if (!exitCode_) {
      int status = 0;
      ::waitpid(pid_, &status, WNOHANG);
    }
  }

  uint32_t wait() override {
    if (exitCode_) return *exitCode_;
    int status = 0;
    pid_t done;
    do {
      done = ::waitpid(pid_, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done < 0) {
      exitCode_ = 0xFFFFFFFFu;  // the status was taken elsewhere (SIGCHLD ignored)
    } else if (WIFEXITED(status)) {
      exitCode_ = static_cast<uint32_t>(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
      exitCode_ = 128u + static_cast<uint32_t>(WTERMSIG(status));
    } else {
      exitCode_ = 0xFFFFFFFFu;
    }
    return *exitCode_;
  }

  int outputPipe() const override { return outputPipe_.get(); }

 private:
  pid_t pid_;
  Fd outputPipe_;
  std::optional<uint32_t> exitCode_;
};

// The descriptors the child gets as 0, 1 and 2 (invalid: inherit), and the
// read end of the output pipe the parent keeps.
struct Streams {
  Fd input, output, error;
  Fd outputPipeRead;
  bool errorSharesOutput = false;
};

WinError openFile(const std::string& path, int flags, Fd* fd) {
  int raw = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (raw < 0) {
    int cause = errno;
    // Windows tells a missing directory from a missing file.
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (cause == ENOENT && !parent.empty() && !std::filesystem::is_directory(parent, ec)) {
      return kErrorPathNotFound;
    }
    return fromErrno(cause);
  }
  *fd = Fd(raw);
  return kErrorSuccess;
}

bool sameFile(int fd, const std::string& path) {
  struct stat a {}, b {};
  return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

WinError openStreams(const StartOptions& options, Streams* streams) {
  constexpr int kCreate = O_WRONLY | O_CREAT | O_TRUNC;
  switch (options.input.kind) {
    case StdStream::Inherit: break;
    case StdStream::Null:
      if (WinError e = openFile("/dev/null", O_RDONLY, &streams->input)) return e;
      break;
    case StdStream::File:
      if (WinError e = openFile(options.input.path, O_RDONLY, &streams->input)) return e;
      break;
    case StdStream::Pipe: return kErrorInvalidParameter;
  }

  switch (options.output.kind) {
    case StdStream::Inherit: break;
    case StdStream::Null:
      if (WinError e = openFile("/dev/null", O_WRONLY, &streams->output)) return e;
      break;
    case StdStream::File:
      if (WinError e = openFile(options.output.path, kCreate, &streams->output)) return e;
      break;
    case StdStream::Pipe: {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return fromErrno(errno);
      streams->outputPipeRead = Fd(ends[0]);
      streams->output = Fd(ends[1]);
      break;
    }
  }

  switch (options.error.kind) {
    case StdStream::Inherit: break;
    case StdStream::Null:
      if (WinError e = openFile("/dev/null", O_WRONLY, &streams->error)) return e;
      break;
    case StdStream::File:
      // Truncating the file a second time would make the two streams
      // overwrite each other; one open file keeps them in order.
      if (options.output.kind == StdStream::File && sameFile(streams->output.get(), options.error.path)) {
        streams->errorSharesOutput = true;
      } else if (WinError e = openFile(options.error.path, kCreate, &streams->error)) {
        return e;
      }
      break;
    case StdStream::Pipe:
      if (options.output.kind != StdStream::Pipe) return kErrorInvalidParameter;
      streams->errorSharesOutput = true;
      break;
  }
  return kErrorSuccess;
}

// posix_spawn's attribute and action objects, destroyed on every path.
struct SpawnSetup {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  SpawnSetup() {
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// The state letter and the start time (clock ticks after boot) of a process
// from /proc/PID/stat; false when it has no entry. The command name may hold
// blanks and parentheses, so the fields are counted from its last ')'.
bool read_process_stat(uint32_t id, char* state, uint64_t* started) {
  std::ifstream in("/proc/" + std::to_string(id) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  // Fields from 3 (state) on; the start time is field 22.
  for (int number = 3; number <= 22 && fields >> field; ++number) {
    if (number == 3) *state = field.empty() ? '?' : field[0];
    if (number == 22) {
      *started = std::strtoull(field.c_str(), nullptr, 10);
      return true;
    }
  }
  return false;
}

class PosixProcess : public Process {
 public:
  explicit PosixProcess(std::vector<std::string> systemDirectories)
      : systemDirectories_(std::move(systemDirectories)) {}

  ProcessStamp self() override {
    ProcessStamp stamp;
    stamp.id = static_cast<uint32_t>(::getpid());
    char state = '?';
    read_process_stat(stamp.id, &state, &stamp.started);
    return stamp;
  }

  bool running(const ProcessStamp& stamp) override {
    char state = '?';
    uint64_t started = 0;
    if (stamp.id == 0 || !read_process_stat(stamp.id, &state, &started)) return false;
    return state != 'Z' && state != 'X' && started == stamp.started;
  }

  std::unique_ptr<Child> start(const std::string& commandLine, const StartOptions& options,
                               WinError* error) override {
    auto fail = [error](WinError code) -> std::unique_ptr<Child> {
      if (error) *error = code;
      return nullptr;
    };
    if (commandLine.empty()) return fail(kErrorInvalidParameter);
    std::vector<std::string> args = splitCommandLine(commandLine);
    const std::string file = findExecutable(args[0]);
    if (file.empty()) return fail(kErrorFileNotFound);

    if (!options.currentDirectory.empty()) {
      struct stat info {};
      if (::stat(options.currentDirectory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return fail(kErrorDirectory);
      }
    }

    Streams streams;
    if (WinError e = openStreams(options, &streams)) return fail(e);

    SpawnSetup setup;
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    if (streams.input.valid()) posix_spawn_file_actions_adddup2(&setup.actions, streams.input.get(), 0);
    if (streams.output.valid()) posix_spawn_file_actions_adddup2(&setup.actions, streams.output.get(), 1);
    if (streams.errorSharesOutput) {
      posix_spawn_file_actions_adddup2(&setup.actions, streams.output.get(), 2);
    } else if (streams.error.valid()) {
      posix_spawn_file_actions_adddup2(&setup.actions, streams.error.get(), 2);
    }
    if (!options.currentDirectory.empty()) {
      posix_spawn_file_actions_addchdir_np(&setup.actions, options.currentDirectory.c_str());
    }

    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment = childEnvironment(options.environment);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    int spawned = posix_spawn(&pid, file.c_str(), &setup.actions, &setup.attributes, argv.data(), envp.data());
    if (spawned != 0) return fail(fromErrno(spawned));
    // The parent's copies of the child's ends close here (Streams goes out of
    // scope), so a reader of the pipe sees its end when the child exits.
    return std::make_unique<PosixChild>(pid, std::move(streams.outputPipeRead));
  }

  std::string findExecutable(const std::string& name) override {
    return searchExecutable(name, searchPlacesOfThisProcess(systemDirectories_));
  }

 private:
  std::vector<std::string> systemDirectories_;
};

}  // namespace

std::unique_ptr<Process> makePosixProcess(std::vector<std::string> systemDirectories) {
  return std::make_unique<PosixProcess>(std::move(systemDirectories));
}

}  // namespace platform
