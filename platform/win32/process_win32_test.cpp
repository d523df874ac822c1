#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {
namespace {

std::string ownDirectory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return directoryOf(std::string(path, n));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Win32ProcessTest : public ::testing::Test {
 protected:
  std::string tempFile(const char* name) {
    char dir[MAX_PATH + 1];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "corvane_" + std::to_string(GetCurrentProcessId()) + "_" + name;
  }

  // Runs a command line with standard output to a file: exit code and output.
  uint32_t run(const std::string& commandLine, std::string* output, StartOptions options = {}) {
    std::string file = tempFile("out.txt");
    options.output = {StdStream::File, file};
    WinError error = kErrorSuccess;
    auto child = process_->start(commandLine, options, &error);
    EXPECT_TRUE(child) << commandLine << ": error " << error;
    if (!child) return 0xDEAD;
    uint32_t code = child->wait();
    child.reset();
    *output = readFile(file);
    DeleteFileA(file.c_str());
    return code;
  }

  std::unique_ptr<Process> process_ = makeWin32Process({});
};

TEST_F(Win32ProcessTest, TheChildReceivesTheCommandLineAsGivenAndItsExitCodeComesBack) {
  const struct {
    std::string commandLine;
    uint32_t exitCode;
  } cases[] = {
      {"win32_test_child exit 0", 0},
      {"win32_test_child.exe exit 3", 3},
      {"win32_test_child  exit   259  \"quoted  words\" tail\\\\\"", 259},
      {"\"win32_test_child\" exit 0xFFFFFFFF", 0xFFFFFFFFu},
      {"win32_test_child exit 0xC0000005", 0xC0000005u},
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(run(c.commandLine, &output), c.exitCode) << c.commandLine;
    EXPECT_EQ(output, c.commandLine + "\r\n");
  }
}

TEST_F(Win32ProcessTest, ProgramsAreFoundBesideTheCallerWithExeAppended) {
  std::string found = process_->findExecutable("win32_test_child");
  EXPECT_EQ(found, ownDirectory() + "\\win32_test_child.exe");
  EXPECT_EQ(process_->findExecutable(found), found);  // a path is used as given
  EXPECT_EQ(process_->findExecutable("no_such_program_here"), "");
  // The system's own programs are found in System32.
  EXPECT_NE(process_->findExecutable("cmd"), "");
}

TEST_F(Win32ProcessTest, AProgramThatCannotBeStartedIsAnError) {
  const struct {
    const char* line;
    WinError error;
  } cases[] = {
      {"no_such_program_here", kErrorFileNotFound},
      {"C:\\missing\\dir\\x.exe a b", kErrorFileNotFound},
      {"\"\"", kErrorFileNotFound},
      {"", kErrorInvalidParameter},
  };
  for (const auto& c : cases) {
    WinError error = kErrorSuccess;
    EXPECT_FALSE(process_->start(c.line, {}, &error)) << c.line;
    EXPECT_EQ(error, c.error) << c.line;
  }
}

TEST_F(Win32ProcessTest, EnvironmentEntriesAreSetOnTopOfTheCallers) {
  SetEnvironmentVariableA("CORVANE_INHERITED", "kept");
  StartOptions options;
  options.environment = {"CORVANE_SET=value with spaces"};
  std::string output;
  EXPECT_EQ(run("win32_test_child env CORVANE_SET", &output, options), 0u);
  EXPECT_EQ(output, "win32_test_child env CORVANE_SET\r\nvalue with spaces\r\n");
  EXPECT_EQ(run("win32_test_child env CORVANE_INHERITED", &output, options), 0u);
  EXPECT_EQ(output, "win32_test_child env CORVANE_INHERITED\r\nkept\r\n");
  SetEnvironmentVariableA("CORVANE_INHERITED", nullptr);
}

TEST_F(Win32ProcessTest, OutputThroughAPipeAndToNothing) {
  StartOptions options;
  options.output.kind = StdStream::Pipe;
  options.error.kind = StdStream::Pipe;
  WinError error = kErrorSuccess;
  auto child = process_->start("win32_test_child exit 7", options, &error);
  ASSERT_TRUE(child) << error;
  ASSERT_GE(child->outputPipe(), 0);
  std::string text;
  char buffer[256];
  int n;
  while ((n = _read(child->outputPipe(), buffer, sizeof buffer)) > 0) text.append(buffer, n);
  EXPECT_EQ(child->wait(), 7u);
  EXPECT_EQ(text, "win32_test_child exit 7\r\n");

  options.output.kind = StdStream::Null;
  options.error.kind = StdStream::Null;
  child = process_->start("win32_test_child exit 4", options, &error);
  ASSERT_TRUE(child) << error;
  EXPECT_EQ(child->outputPipe(), -1);
  EXPECT_EQ(child->wait(), 4u);
}

TEST_F(Win32ProcessTest, CtrlCReachesTheConsoleHandler) {
  std::string output;
  EXPECT_EQ(run("win32_test_child ctrl-c", &output), 42u) << output;
}

}  // namespace
}  // namespace platform
