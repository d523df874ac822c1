#include "simhost/machine/host_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "simhost/machine/files.h"

namespace simhost {
namespace {

class HostConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("hostcfg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "host.json").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(HostConfigTest, SavedConfigReadsBackFieldForField) {
  HostConfig c;
  c.os.major = 5;
  c.os.minor = 2;
  c.admin = false;
  c.services["CVND5OR"] = "stopped";
  c.waitScale = 1;
  c.freeBytes = 4096;
  c.wow64 = "absent";
  c.processes = {"burnkit_x64.exe"};
  std::string error;
  ASSERT_TRUE(saveHostConfig(path_, c, &error)) << error;
  HostConfig back;
  ASSERT_TRUE(loadHostConfig(path_, &back, &error)) << error;
  EXPECT_EQ(back.os.major, 5u);
  EXPECT_EQ(back.os.minor, 2u);
  EXPECT_FALSE(back.admin);
  EXPECT_EQ(back.services.at("CVND5OR"), "stopped");
  EXPECT_EQ(back.waitScale, 1);
  ASSERT_TRUE(back.freeBytes.has_value());
  EXPECT_EQ(*back.freeBytes, 4096u);
  EXPECT_EQ(back.wow64, "absent");
  EXPECT_EQ(back.processes, std::vector<std::string>{"burnkit_x64.exe"});
}

TEST_F(HostConfigTest, BrokenFilesNameTheFileAndTheProblem) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"{\"admin\": ", "malformed JSON"},
      {"{\"wait_scale\": 1e400}", "a number too large"},
      {"[1, 2]", "not a JSON object"},
      {"{\"admin\": \"yes\"}", "\"admin\""},
      {"{\"os\": {\"major\": \"six\"}}", "\"major\""},
      {"{\"services\": {\"CVND5OR\": \"sleeping\"}}", "CVND5OR"},
      {"{\"wait_scale\": -1}", "\"wait_scale\""},
      {"{\"wow64\": \"maybe\"}", "\"wow64\""},
  };
  for (const Case& c : cases) {
    std::string error;
    ASSERT_TRUE(writeFileAtomic(path_, c.text, &error)) << error;
    HostConfig config;
    EXPECT_FALSE(loadHostConfig(path_, &config, &error)) << c.text;
    EXPECT_NE(error.find(path_), std::string::npos) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
  std::string error;
  HostConfig config;
  EXPECT_FALSE(loadHostConfig((dir_ / "missing.json").string(), &config, &error));
  EXPECT_NE(error.find("missing.json"), std::string::npos) << error;
}

TEST_F(HostConfigTest, AtomicRewriteChangesTheStampAndFreshFilesAreNotSettled) {
  std::string error;
  ASSERT_TRUE(writeFileAtomic(path_, "{}", &error));
  FileStamp first, second;
  ASSERT_TRUE(fileStamp(path_, &first));
  EXPECT_FALSE(stampIsSettled(first));
  ASSERT_TRUE(writeFileAtomic(path_, "{\"admin\": true}", &error));
  ASSERT_TRUE(fileStamp(path_, &second));
  EXPECT_FALSE(first == second);
  std::string text;
  ASSERT_TRUE(readFile(path_, &text, &error));
  EXPECT_EQ(text, "{\"admin\": true}");
}

}  // namespace
}  // namespace simhost
