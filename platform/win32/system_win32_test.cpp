#include <windows.h>

#include <gtest/gtest.h>

#include "platform/common/pe_version.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {
namespace {

std::string besideTest(const char* name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return directoryOf(std::string(path, n)) + "\\" + name;
}

TEST(Win32SystemTest, TheTemporaryDirectoryIsTmpWithItsSeparator) {
  auto system = makeWin32System();
  std::string original = system->tempDirectory();
  ASSERT_FALSE(original.empty());
  EXPECT_EQ(original.back(), '\\');
  EXPECT_NE(GetFileAttributesA(original.c_str()), INVALID_FILE_ATTRIBUTES);

  std::string dir = original + "corvane_tmp_" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  char saved[MAX_PATH] = "";
  DWORD had = GetEnvironmentVariableA("TMP", saved, MAX_PATH);
  SetEnvironmentVariableA("TMP", dir.c_str());
  EXPECT_EQ(system->tempDirectory(), dir + "\\");
  SetEnvironmentVariableA("TMP", had ? saved : nullptr);
  RemoveDirectoryA(dir.c_str());
}

TEST(Win32SystemTest, AVersionResourceBuiltByWindresIsRead) {
  auto system = makeWin32System();
  std::string child = besideTest("win32_test_child.exe");
  FileVersion version;
  ASSERT_EQ(system->fileVersion(child, &version), kErrorSuccess);
  EXPECT_EQ(version.fileMs, 0x00010002u);
  EXPECT_EQ(version.fileLs, 0x00030004u);
  EXPECT_EQ(version.productMs, 0x00010002u);
  EXPECT_EQ(version.productLs, 0x00030004u);
  // The system's reader and the portable one agree on the same file.
  FileVersion portable;
  ASSERT_EQ(readPeFileVersion(child, &portable), kErrorSuccess);
  EXPECT_EQ(portable.fileMs, version.fileMs);
  EXPECT_EQ(portable.fileLs, version.fileLs);

  EXPECT_EQ(system->fileVersion(besideTest("no_such_file.sys"), &version), kErrorFileNotFound);
  // A PE without a version resource: the test program itself.
  EXPECT_NE(system->fileVersion(besideTest("platform_win32_test.exe"), &version), kErrorSuccess);
}

TEST(Win32SystemTest, MachineFactsOfA64BitProgram) {
  auto system = makeWin32System();
  EXPECT_EQ(system->wow64(), Wow64Answer::Native64);
  OsVersion os = system->osVersion();
  EXPECT_GE(os.major, 5u);
  EXPECT_EQ(os.platformId, 2u);
  EXPECT_EQ(os.processorArchitecture, 9u);  // x64
  uint64_t free = 0;
  EXPECT_EQ(system->freeBytes(system->systemDrive(), &free), kErrorSuccess);
  EXPECT_GT(free, 0u);
  EXPECT_EQ(system->freeBytes("Q:\\no\\such\\drive\\", &free) == kErrorSuccess, false);
  EXPECT_EQ(system->programPath(), besideTest("platform_win32_test.exe"));
  EXPECT_NE(system->commandLine().find("platform_win32_test"), std::string::npos);
  EXPECT_EQ(system->serviceState("CorvaneNoSuchService"), ServiceState::NotInstalled);
  EXPECT_EQ(system->uiLanguage().size(), 2u);
  // This program is among the running ones, by its base name.
  auto names = system->runningProcessNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "platform_win32_test.exe"), names.end());
}

TEST(Win32SystemTest, AnsiTextsAndEnvironmentExpansion) {
  auto system = makeWin32System();
  std::u16string text = u"Caf\u00e9 Adapter";
  if (system->ansiCodePage() == 1252) {
    EXPECT_EQ(system->toAnsi(text), "Caf\xe9 Adapter");
  }
  EXPECT_EQ(system->fromAnsi(system->toAnsi(text)), text);
  SetEnvironmentVariableA("CORVANE_DIR", "D:\\x");
  EXPECT_EQ(system->expandEnvironment("%corvane_dir%\\a;%CORVANE_UNSET%"), "D:\\x\\a;%CORVANE_UNSET%");
  SetEnvironmentVariableA("CORVANE_DIR", nullptr);
}

}  // namespace
}  // namespace platform
