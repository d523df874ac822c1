// Files, plug-in libraries and code page 932 through kernel32, with the
// error numbers Windows itself gives.
#include <windows.h>

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/library.h"
#include "platform/multibyte.h"

namespace platform {
namespace {

class Win32FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp, n) + "corvane_files_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
  }
  void TearDown() override {
    std::vector<std::string> names;
    findFiles(dir_, "*", &names);
    for (const std::string& name : names) DeleteFileA(path(name).c_str());
    RemoveDirectoryA(path("sub.xml").c_str());
    RemoveDirectoryA(path("a\\b").c_str());
    RemoveDirectoryA(path("a").c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  std::string path(const std::string& name) const { return dir_ + "\\" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }

  std::string dir_;
};

TEST_F(Win32FilesTest, SharedHandlesAppendAtTheEndAndNeverTruncate) {
  write("log", "old\n");
  WinError error = 1;
  FileHandle a = openSharedFile(path("log"), &error);
  ASSERT_NE(a, kInvalidFile);
  EXPECT_EQ(error, kErrorSuccess);
  FileHandle b = openSharedFile(path("log"), nullptr);
  ASSERT_NE(b, kInvalidFile);
  EXPECT_EQ(appendToFile(a, "a\n", 2), kErrorSuccess);
  EXPECT_EQ(appendToFile(b, "b\n", 2), kErrorSuccess);
  EXPECT_EQ(appendToFile(a, "c\n", 2), kErrorSuccess);
  std::string bytes;
  EXPECT_EQ(readWholeFile(b, &bytes), kErrorSuccess);
  EXPECT_EQ(bytes, "old\na\nb\nc\n");
  EXPECT_EQ(closeFile(a), kErrorSuccess);
  EXPECT_EQ(closeFile(b), kErrorSuccess);
  EXPECT_EQ(closeFile(kInvalidFile), kErrorInvalidHandle);

  EXPECT_EQ(openSharedFile(path("missing\\log"), &error), kInvalidFile);
  EXPECT_EQ(error, kErrorPathNotFound);
  EXPECT_EQ(openSharedFile(dir_, &error), kInvalidFile);
  EXPECT_EQ(error, kErrorAccessDenied);
}

TEST_F(Win32FilesTest, MovesDeletesAndDirectoriesGiveWindowsErrors) {
  write("from", "1");
  write("to", "2");
  EXPECT_EQ(moveFile(path("from"), path("to")), kErrorAlreadyExists);
  EXPECT_EQ(deleteFile(path("to")), kErrorSuccess);
  EXPECT_EQ(moveFile(path("from"), path("to")), kErrorSuccess);
  EXPECT_FALSE(fileExists(path("from")));
  EXPECT_TRUE(fileExists(path("to")));
  EXPECT_EQ(deleteFile(path("from")), kErrorFileNotFound);

  EXPECT_EQ(createDirectory(path("a\\b")), kErrorPathNotFound);
  EXPECT_EQ(createDirectory(path("a")), kErrorSuccess);
  EXPECT_EQ(createDirectory(path("a")), kErrorAlreadyExists);
  EXPECT_EQ(createDirectory(path("a/b")), kErrorSuccess);
  EXPECT_FALSE(fileExists(path("a")));
}

// The names FindFirstFile would give for a short 8.3 name ("ks2.xmlx" as
// "KS2~1.XML") stay out: every host lists by the same rule.
TEST_F(Win32FilesTest, FindFilesMatchesPatternsWithoutCaseAndListsFilesOnly) {
  for (const char* name : {"ks1.xml", "KS_pkg.XML", "ks.xml", "aks1.xml", "ks1.xml.bak", "ks2.xmlx"}) write(name, "");
  ASSERT_TRUE(CreateDirectoryA(path("sub.xml").c_str(), nullptr));
  std::vector<std::string> names;
  EXPECT_EQ(findFiles(dir_, "ks*.xml", &names), kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"KS_pkg.XML", "ks.xml", "ks1.xml"}));
  EXPECT_EQ(findFiles(dir_ + "\\", "k?1.*", &names), kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ks1.xml", "ks1.xml.bak"}));
  EXPECT_EQ(findFiles(dir_, "*.xml", &names), kErrorSuccess);
  EXPECT_EQ(names.size(), 4u);  // not "ks2.xmlx"
  EXPECT_EQ(findFiles(dir_, "none*", &names), kErrorFileNotFound);
  EXPECT_EQ(findFiles(path("missing"), "*", &names), kErrorPathNotFound);
}

TEST(Win32TextTest, PathsKeepOneSeparatorAndShiftJisIsCodePage932) {
  EXPECT_EQ(hostPath(u"C:\\kst\\log\\x.log"), "C:/kst/log/x.log");
  EXPECT_EQ(widePath("C:/kst"), u"C:/kst");
  EXPECT_EQ(shiftJisPairToUnicode(0x82, 0xA0), 0x3042);  // HIRAGANA LETTER A
  EXPECT_EQ(shiftJisPairToUnicode(0x81, 0x40), 0x3000);  // ideographic space
  EXPECT_EQ(shiftJisPairToUnicode(0x88, 0x9F), 0x4E9C);
  EXPECT_EQ(shiftJisPairToUnicode(0x81, 0x00), -1);  // no such trail byte
  EXPECT_EQ(shiftJisPairToUnicode(0x81, 0x0A), -1);
}

TEST(Win32LibraryTest, AMissingFileOrOneThatIsNoLibraryIsRefusedWithTheSystemsReason) {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, temp);
  const std::string text = std::string(temp, n) + "corvane_notalib_" + std::to_string(GetCurrentProcessId()) + ".dll";
  std::ofstream(text) << "just text\n";
  for (const std::string& file : {std::string(temp, n) + "corvane_absent.dll", text}) {
    std::string error;
    EXPECT_EQ(loadLibrary(file, &error), nullptr) << file;
    EXPECT_NE(error.find("(Windows error "), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  DeleteFileA(text.c_str());
  EXPECT_EQ(libraryFileName("Brightwell"), "Brightwell.dll");
}

}  // namespace
}  // namespace platform
