// The demo server's package: the wrapper runs from it and finds every demo
// board in its configuration.
#include "simhost/provision/demo_package.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "wrapper/catalog/discovery.h"
#include "wrapper/state/firmware_catalog.h"
#include "wrapper/state/run_state.h"

namespace keelson {
namespace {

TEST(DemoPackageTest, HoldsTheProgramsAndKnowsEveryDemoBoard) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("keelson_demo_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  const std::string host = (root / "host").string();
  corvane_test::RunResult created = corvane_test::runProgram(corvane_test::binDir() + "/corvane-sim",
                                                             {"create", host, "--preset", "demo"}, "", "", "");
  ASSERT_EQ(created.exitCode, 0u) << created.err;

  const fs::path package = simhost::demoPackageDir(simhost::HostDir(host));
  EXPECT_TRUE(fs::exists(package / "burnkit"));
  EXPECT_TRUE(fs::exists(package / "burnkit_x64"));
  EXPECT_EQ(fs::exists(package / "Keelson"), fs::exists(fs::path(corvane_test::binDir()) / "Keelson"));
  EXPECT_TRUE(fs::exists(package / "NICFWData.xml"));

  const fs::path previous = fs::current_path();
  fs::current_path(package);
  ::setenv("CORVANE_SIMHOST", host.c_str(), 1);
  corvane_test::useScriptedSimHost(host);
  runState() = RunState{};
  firmwareCatalog().clear();
  EXPECT_EQ(discoverAdapters(), 0u);
  std::vector<std::string> locations;
  for (const SupportedNic& nic : runState().adapters) locations.push_back(nic.location.substr(0, 2));
  std::sort(locations.begin(), locations.end());
  EXPECT_EQ(locations, (std::vector<std::string>{"5:", "6:", "7:", "8:"}));

  fs::current_path(previous);
  platform::setHost(nullptr);
  ::unsetenv("CORVANE_SIMHOST");
  fs::remove_all(root);
}

}  // namespace
}  // namespace keelson
