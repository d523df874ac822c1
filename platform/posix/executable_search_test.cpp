// The program search over a tree of places, each holding some of the names:
// which file each written name runs.
#include "platform/posix/executable_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

class ExecutableSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("executable_search_test." + std::to_string(getpid()));
    for (const char* d : {"own", "cur", "cur/sub", "sys1", "sys2", "path"}) fs::create_directories(root_ / d);
    places_.ownDirectory = (root_ / "own").string();
    places_.currentDirectory = (root_ / "cur").string();
    places_.systemDirectories = {(root_ / "sys1").string(), (root_ / "sys2").string()};
    places_.path = {(root_ / "path").string()};

    for (const char* f : {"own/tool", "cur/tool.exe", "cur/tool", "cur/curonly", "sys1/sysprog",
                          "sys2/sysprog", "sys2/second", "path/sysprog", "path/pathonly", "own/both.exe",
                          "own/both", "cur/script.cmd", "cur/script", "cur/sub/inner", "sys1/plain",
                          "sys1/dirprog", "cur/trail", "cur/UPPER"}) {
      executable(f);
    }
    std::ofstream(root_ / "own/plain");  // not executable: skipped
    fs::create_directories(root_ / "own/dirprog");  // a directory: skipped
  }
  void TearDown() override { fs::remove_all(root_); }

  void executable(const std::string& relative) {
    std::ofstream(root_ / relative) << "#!/bin/sh\n";
    ::chmod((root_ / relative).c_str(), 0755);
  }
  std::string at(const std::string& relative) const { return (root_ / relative).string(); }

  fs::path root_;
  SearchPlaces places_;
};

TEST_F(ExecutableSearch, FindsEachNameWhereWindowsWould) {
  const std::pair<std::string, std::string> cases[] = {
      {"tool", "own/tool"},               // own directory before the current one
      {"tool.exe", "own/tool"},           // "X.exe" is the file X
      {"curonly", "cur/curonly"},
      {"sysprog", "sys1/sysprog"},        // system directories in the order given, before PATH
      {"second.exe", "sys2/second"},
      {"pathonly", "path/pathonly"},
      {"both.exe", "own/both.exe"},       // a real "X.exe" wins over X
      {"script.cmd", "cur/script.cmd"},   // an extension is kept: no ".exe", no fallback
      {"plain", "sys1/plain"},            // files without execute permission do not count
      {"dirprog", "sys1/dirprog"},        // nor do directories
      {"trail.", "cur/trail"},            // a trailing dot stops the ".exe"
      {"UPPER.EXE", "cur/UPPER"},
      {"sub/inner", "cur/sub/inner"},     // a path: relative to the current directory, no search
      {"sub\\inner.exe", "cur/sub/inner"},
      {"./tool", "cur/tool.exe"},         // "./tool" means tool.exe in the current directory
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(searchExecutable(name, places_), at(expected)) << name;
  }
  EXPECT_EQ(searchExecutable(at("sys2/second"), places_), at("sys2/second"));
}

TEST_F(ExecutableSearch, FindsNothingWhereWindowsWouldNot) {
  for (const std::string name : {"", "absent", "sub", "inner", "own/tool", "../own/tool.exe.x"}) {
    EXPECT_EQ(searchExecutable(name, places_), "") << name;
  }
}

TEST(ExecutableSearchPlaces, ThisProcessSearchesItsOwnDirectoryThenCurrentThenSystemThenPath) {
  SearchPlaces places = searchPlacesOfThisProcess({"/sys32", "/windows"});
  EXPECT_EQ(places.ownDirectory, fs::read_symlink("/proc/self/exe").parent_path().string());
  EXPECT_EQ(places.currentDirectory, fs::current_path().string());
  EXPECT_EQ(places.systemDirectories, (std::vector<std::string>{"/sys32", "/windows"}));
  EXPECT_FALSE(places.path.empty());
}

}  // namespace
}  // namespace platform
