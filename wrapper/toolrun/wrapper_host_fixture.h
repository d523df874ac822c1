// In-process tests of wrapper functions that run the real flash tool: a
// fresh simulated host, this process's platform host set to it (with a
// scripted console), the environment naming it for the children, the
// package directory as the current directory, and a clean run record.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "simhost/provision/demo_package.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/firmware_catalog.h"
#include "wrapper/state/run_state.h"

namespace keelson {

class WrapperHostTest : public ::testing::Test {
 protected:
  // The package firmware of the configuration this fixture writes.
  static constexpr const char* kPackageFirmware = "4.0.593";

  void SetUp() override {
    runState() = RunState{};
    firmwareCatalog().clear();
    previousDirectory_ = std::filesystem::current_path();
    packageDir_ = simhost::demoPackageDir(scenario_.dir());
    std::filesystem::create_directories(packageDir_);
    std::filesystem::current_path(packageDir_);
    ::setenv("CORVANE_SIMHOST", scenario_.root().c_str(), 1);
    corvane_test::useScriptedSimHost(scenario_.root());
    std::filesystem::create_directories(std::filesystem::path(logFilePathOfHost()).parent_path());
    runState().logPath = logFilePathOfHost();
  }

  void TearDown() override {
    std::filesystem::current_path(previousDirectory_);
    platform::setHost(nullptr);
    ::unsetenv("CORVANE_SIMHOST");
  }

  // The configuration and the unified ROM image of the package.
  void writePackage(const std::string& firmware = kPackageFirmware) {
    std::string error;
    ASSERT_TRUE(simhost::writeDemoPackage(scenario_.dir(), firmware, &error)) << error;
  }

  void writeFile(const std::string& name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  std::string logText() const { return readFile(runState().logPath); }

  corvane_test::Scenario scenario_;
  std::string packageDir_;
  std::filesystem::path previousDirectory_;
};

}  // namespace keelson
