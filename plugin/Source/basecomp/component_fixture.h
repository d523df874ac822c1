// A component directory (the current directory while a test runs) on a
// fresh simulated host, with helpers for the package files and host knobs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/files.h"
#include "platform/host.h"
#include "simhost/machine/host_config.h"
#include "tests/support/scenario.h"

namespace brightwell {

class ComponentFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform::setHost(platform::makeSimHost(s_.root(), &error));
    ASSERT_TRUE(error.empty()) << error;
    component_ = std::filesystem::path(s_.root()) / "component";
    std::filesystem::create_directories(component_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(component_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    platform::setHost(nullptr);
  }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(component_ / name, std::ios::binary) << text;
  }
  static std::string read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // Changes host.json as change says.
  void host(const std::function<void(simhost::HostConfig&)>& change) {
    simhost::HostConfig c;
    ASSERT_TRUE(simhost::loadHostConfig(s_.dir().hostJson(), &c, nullptr));
    change(c);
    ASSERT_TRUE(simhost::saveHostConfig(s_.dir().hostJson(), c, nullptr));
  }
  void setDword(const std::string& key, const std::string& name, uint32_t value) {
    platform::RegKey k;
    ASSERT_EQ(platform::host().registry().createKey(key, &k), 0u);
    ASSERT_EQ(platform::host().registry().setValue(k, name, platform::RegValue::dword(value)), 0u);
  }

  // A UTF-16 text of the plug-in as host bytes.
  static std::string hostTextOf(const char16_t* text) { return platform::hostText(text ? text : u""); }

  corvane_test::Scenario s_;
  std::filesystem::path component_;
  std::filesystem::path previous_;
};

}  // namespace brightwell
