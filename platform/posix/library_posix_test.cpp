// What a host sees when a plug-in file is missing or is no library; loading a
// real plug-in is shown by the updeck scenarios.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/library.h"

namespace platform {
namespace {

TEST(LibraryPosix, MissingFileOrNonLibraryIsRefusedWithTheLoadersReason) {
  const auto dir = std::filesystem::temp_directory_path() / ("library_posix_test." + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string text = (dir / "notalib.so").string();
  std::ofstream(text) << "just text\n";

  struct Case {
    std::string path;
    const char* reason;
  };
  for (const Case& c : {Case{(dir / "absent.so").string(), "No such file"}, Case{text, "notalib.so"}}) {
    std::string error;
    EXPECT_EQ(loadLibrary(c.path, &error), nullptr) << c.path;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform
