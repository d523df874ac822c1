#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// The exclusive modes the programs rely on for their instance lock and their
// backups: the first create wins, a second one fails with EEXIST and leaves
// the file as it was; binary mode writes bytes unchanged.
TEST(ExclusiveFopenTest, OnlyTheFirstExclusiveCreateSucceeds) {
  char dir[MAX_PATH + 1];
  GetTempPathA(sizeof dir, dir);
  const std::string path = std::string(dir) + "corvane_excl_" + std::to_string(GetCurrentProcessId());
  for (const char* mode : {"wx", "wbx", "w+x"}) {
    DeleteFileA(path.c_str());
    std::FILE* first = std::fopen(path.c_str(), mode);
    ASSERT_NE(first, nullptr) << mode;
    std::fputs("a\nb", first);
    std::fclose(first);
    errno = 0;
    EXPECT_EQ(std::fopen(path.c_str(), mode), nullptr) << mode;
    EXPECT_EQ(errno, EEXIST) << mode;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), std::strchr(mode, 'b') ? "a\nb" : "a\r\nb") << mode;
  }
  DeleteFileA(path.c_str());
  // Other modes are the runtime's own: "w" truncates an existing file.
  std::FILE* plain = std::fopen(path.c_str(), "w");
  ASSERT_NE(plain, nullptr);
  std::fclose(plain);
  plain = std::fopen(path.c_str(), "w");
  EXPECT_NE(plain, nullptr);
  if (plain) std::fclose(plain);
  DeleteFileA(path.c_str());
}

}  // namespace
