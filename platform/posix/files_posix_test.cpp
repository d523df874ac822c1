#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/multibyte.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("files_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void write(const std::string& name, const std::string& bytes) const { std::ofstream(path(name)) << bytes; }

  fs::path dir_;
};

TEST_F(FilesTest, SharedHandleAppendsAndNeverTruncates) {
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
  EXPECT_EQ(openSharedFile(path("missing/log"), &error), kInvalidFile);
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_EQ(openSharedFile(dir_.string(), &error), kInvalidFile);
}

TEST_F(FilesTest, MoveRefusesAnExistingTarget) {
  write("from", "1");
  write("to", "2");
  EXPECT_EQ(moveFile(path("from"), path("to")), kErrorAlreadyExists);
  EXPECT_EQ(deleteFile(path("to")), kErrorSuccess);
  EXPECT_EQ(moveFile(path("from"), path("to")), kErrorSuccess);
  EXPECT_FALSE(fileExists(path("from")));
  EXPECT_TRUE(fileExists(path("to")));
  EXPECT_EQ(deleteFile(path("from")), kErrorFileNotFound);
}

TEST_F(FilesTest, FindFilesMatchesWildcardsWithoutCase) {
  for (const char* name : {"ks1.xml", "KS_pkg.XML", "ks.xml", "aks1.xml", "ks1.xml.bak", "ks2.xmlx"}) write(name, "");
  fs::create_directory(dir_ / "ksdir.xml");
  std::vector<std::string> names;
  EXPECT_EQ(findFiles(dir_.string(), "ks*.xml", &names), kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"KS_pkg.XML", "ks.xml", "ks1.xml"}));
  EXPECT_EQ(findFiles(dir_.string(), "k?1.*", &names), kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ks1.xml", "ks1.xml.bak"}));
  EXPECT_EQ(findFiles(dir_.string(), "none*", &names), kErrorFileNotFound);
  EXPECT_EQ(findFiles(path("missing"), "*", &names), kErrorFileNotFound);
}

TEST_F(FilesTest, CreateDirectoryMakesOneLevel) {
  EXPECT_EQ(createDirectory(path("a/b")), kErrorFileNotFound);
  EXPECT_EQ(createDirectory(path("a")), kErrorSuccess);
  EXPECT_EQ(createDirectory(path("a")), kErrorAlreadyExists);
  EXPECT_EQ(createDirectory(path("a/b")), kErrorSuccess);
}

TEST(HostPath, BackslashesBecomeSeparatorsAndTextStaysWhole) {
  EXPECT_EQ(hostPath(u"C:\\kst\\log\\x.log"), "C:/kst/log/x.log");
  EXPECT_EQ(hostPath(u"/h/drive_c\\ログ"), "/h/drive_c/\xE3\x83\xAD\xE3\x82\xB0");
  EXPECT_EQ(widePath("/h/\xE3\x83\xAD"), u"/h/ロ");
}

TEST(ShiftJis, PairsConvertAsCodePage932) {
  EXPECT_EQ(shiftJisPairToUnicode(0x82, 0xA0), 0x3042);  // HIRAGANA LETTER A
  EXPECT_EQ(shiftJisPairToUnicode(0x81, 0x40), 0x3000);  // ideographic space
  EXPECT_EQ(shiftJisPairToUnicode(0x88, 0x9F), 0x4E9C);
  EXPECT_EQ(shiftJisPairToUnicode(0x81, 0x00), -1);      // no such trail byte
  EXPECT_EQ(shiftJisPairToUnicode(0x81, 0x0A), -1);
}

}  // namespace
}  // namespace platform
