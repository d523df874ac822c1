// Real children started through the Windows-shaped interface: exit codes,
// the program search, standard streams, and the clean signal state a child
// starts with.
#include "platform/posix/process_posix.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

class PosixProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("process_posix_test." + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static std::string readFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static std::string readAll(int fd) {
    std::string data;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<size_t>(n));
    return data;
  }

  // Runs a shell script with the given streams; its output through a pipe.
  uint32_t runShell(const std::string& script, StartOptions options, std::string* output = nullptr) {
    if (output) options.output = {StdStream::Pipe, ""};
    WinError error = kErrorSuccess;
    auto child = process_->start(buildCommandLine({"/bin/sh", "-c", script}), options, &error);
    EXPECT_NE(child, nullptr) << "error " << error;
    if (!child) return 0xDEAD;
    if (output) *output = readAll(child->outputPipe());
    return child->wait();
  }

  fs::path dir_;
  std::unique_ptr<Process> process_ = makePosixProcess({});
};

TEST_F(PosixProcessTest, ExitCodesAsLinuxCanGiveThem) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"exit 0", 0}, {"exit 3", 3}, {"exit 255", 255}, {"exit 256", 0},  // only the low byte survives
      {"kill -TERM $$", 128 + SIGTERM}, {"kill -KILL $$", 128 + SIGKILL},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(runShell(script, {}), expected) << script;
}

TEST_F(PosixProcessTest, ArgumentsArriveAsTheCommandLineSaysAndArgv0AsWritten) {
  // "sh.exe" is found on PATH as the file sh; the child still sees "sh.exe".
  WinError error = kErrorSuccess;
  StartOptions options;
  options.output = {StdStream::Pipe, ""};
  std::string line = buildCommandLine(
      {"sh.exe", "-c", "printf '%s|' \"$0\" \"$@\"; tr '\\0' '|' < /proc/$$/cmdline", "zero", "a b", "q\"uote",
       "back\\", "", "C:\\dir with space\\"});
  auto child = process_->start(line, options, &error);
  ASSERT_NE(child, nullptr) << error;
  std::string out = readAll(child->outputPipe());
  EXPECT_EQ(child->wait(), 0u);
  EXPECT_EQ(out.substr(0, out.find("sh.exe|")),
            "zero|a b|q\"uote|back\\||C:\\dir with space\\|");
  EXPECT_EQ(out.substr(out.find("sh.exe|"), 10), "sh.exe|-c|");
}

TEST_F(PosixProcessTest, MissingProgramOrDirectoryIsReportedBeforeAnythingRuns) {
  WinError error = kErrorSuccess;
  EXPECT_EQ(process_->start("no_such_program_here.exe /x", {}, &error), nullptr);
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_EQ(process_->start(path("absent") + " /x", {}, &error), nullptr);
  EXPECT_EQ(error, kErrorFileNotFound);

  StartOptions options;
  options.currentDirectory = path("no_dir");
  EXPECT_EQ(process_->start("/bin/sh -c true", options, &error), nullptr);
  EXPECT_EQ(error, kErrorDirectory);

  options = {};
  options.output = {StdStream::File, path("no_dir/out.log")};
  EXPECT_EQ(process_->start("/bin/sh -c true", options, &error), nullptr);
  EXPECT_EQ(error, kErrorPathNotFound);
}

TEST_F(PosixProcessTest, OutputAndErrorToOneFileLandInOrderInATruncatedFile) {
  fs::create_directories(dir_ / "sub");
  // The same file under two spellings is still one file.
  const std::pair<std::string, std::string> spellings[] = {
      {path("both.log"), path("both.log")},
      {path("sub/both.log"), path("sub/../sub/./both.log")},
  };
  for (const auto& [outPath, errPath] : spellings) {
    std::ofstream(outPath) << std::string(4096, 'x');
    StartOptions options;
    options.output = {StdStream::File, outPath};
    options.error = {StdStream::File, errPath};
    EXPECT_EQ(runShell("echo one; echo two >&2; echo three; echo four >&2", options), 0u);
    EXPECT_EQ(readFile(outPath), "one\ntwo\nthree\nfour\n") << errPath;
  }

  StartOptions apart;
  apart.output = {StdStream::File, path("out.log")};
  apart.error = {StdStream::File, path("err.log")};
  EXPECT_EQ(runShell("echo out; echo err >&2", apart), 0u);
  EXPECT_EQ(readFile(path("out.log")), "out\n");
  EXPECT_EQ(readFile(path("err.log")), "err\n");
}

TEST_F(PosixProcessTest, NullInputFileAndPipeStreams) {
  StartOptions nulls;
  nulls.input = {StdStream::Null, ""};
  nulls.output = {StdStream::Null, ""};
  nulls.error = {StdStream::File, path("where.log")};
  EXPECT_EQ(runShell("in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1); echo \"$in $out\" >&2; echo gone",
                     nulls),
            0u);
  EXPECT_EQ(readFile(path("where.log")), "/dev/null /dev/null\n");

  std::ofstream(path("in.txt")) << "from a file\n";
  StartOptions fromFile;
  fromFile.input = {StdStream::File, path("in.txt")};
  std::string out;
  EXPECT_EQ(runShell("cat", fromFile, &out), 0u);
  EXPECT_EQ(out, "from a file\n");

  StartOptions bothPiped;
  bothPiped.error = {StdStream::Pipe, ""};
  EXPECT_EQ(runShell("echo piped; echo err >&2; exit 4", bothPiped, &out), 4u);
  EXPECT_EQ(out, "piped\nerr\n");

  StartOptions errorPipeAlone;
  errorPipeAlone.error = {StdStream::Pipe, ""};
  WinError error = kErrorSuccess;
  EXPECT_EQ(process_->start("/bin/sh -c true", errorPipeAlone, &error), nullptr);
  EXPECT_EQ(error, kErrorInvalidParameter);
}

TEST_F(PosixProcessTest, ChildRunsInTheRequestedDirectory) {
  StartOptions options;
  options.currentDirectory = dir_.string();
  std::string out;
  EXPECT_EQ(runShell("pwd -P", options, &out), 0u);
  EXPECT_EQ(out, fs::canonical(dir_).string() + "\n");
}

TEST_F(PosixProcessTest, AddedEnvironmentEntriesSetOrReplaceTheCallersVariables) {
  ::setenv("PROCESS_POSIX_TEST_KEPT", "kept", 1);
  ::setenv("PROCESS_POSIX_TEST_SWAPPED", "old", 1);
  StartOptions options;
  options.environment = {"PROCESS_POSIX_TEST_SWAPPED=new", "PROCESS_POSIX_TEST_ADDED=a=b"};
  std::string out;
  EXPECT_EQ(runShell("echo $PROCESS_POSIX_TEST_KEPT $PROCESS_POSIX_TEST_SWAPPED $PROCESS_POSIX_TEST_ADDED", options,
                     &out),
            0u);
  EXPECT_EQ(out, "kept new a=b\n");
  EXPECT_STREQ(std::getenv("PROCESS_POSIX_TEST_SWAPPED"), "old");  // the caller's own stays
  ::unsetenv("PROCESS_POSIX_TEST_KEPT");
  ::unsetenv("PROCESS_POSIX_TEST_SWAPPED");
}

// A console handler blocks Ctrl+C and hang-up in its caller; the children
// must not inherit that, nor signals the parent ignores.
TEST_F(PosixProcessTest, ChildStartsWithNoBlockedOrIgnoredSignals) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGHUP);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
  struct sigaction ignore {}, previousTerm {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGTERM, &ignore, &previousTerm), 0);

  // grep reports its own state (a shell would clear its mask at start-up).
  StartOptions options;
  options.output = {StdStream::Pipe, ""};
  WinError error = kErrorSuccess;
  auto child = process_->start(buildCommandLine({"grep", "-E", "^Sig(Blk|Ign):", "/proc/self/status"}), options, &error);
  std::string out = child ? readAll(child->outputPipe()) : "";
  uint32_t code = child ? child->wait() : 0xDEAD;

  sigaction(SIGTERM, &previousTerm, nullptr);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  EXPECT_EQ(code, 0u);
  unsigned long long blockedMask = 0, ignoredMask = 0;
  ASSERT_EQ(std::sscanf(out.c_str(), "SigBlk: %llx SigIgn: %llx", &blockedMask, &ignoredMask), 2) << out;
  EXPECT_EQ(blockedMask, 0u);
  // Signals 32 and 33 belong to the C library's threads; its spawn leaves
  // them ignored and every program's start-up takes them back.
  const unsigned long long libraryOwned = 3ull << 31;
  EXPECT_EQ(ignoredMask & ~libraryOwned, 0u) << out;
}

TEST_F(PosixProcessTest, ProgramsBesideTheCallerAreFoundFirstWithoutTheirExe) {
  // This test binary's own directory comes first: its own name with ".exe"
  // (or with none) is this very file.
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const std::string name = self.filename().string();
  for (const std::string& written : {name + ".exe", name, name + ".EXE"}) {
    std::string found = process_->findExecutable(written);
    ASSERT_FALSE(found.empty()) << written;
    EXPECT_TRUE(fs::equivalent(found, self)) << written << " -> " << found;
  }
  EXPECT_TRUE(fs::equivalent(fs::path(CORVANE_BIN_DIR) / name, self));
}

}  // namespace
}  // namespace platform
