// End-to-end runs of Keelson: the real wrapper, started in the package
// directory of a simulated host, running the real burnkit against the
// host's boards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "simhost/machine/files.h"
#include "simhost/provision/demo_package.h"
#include "tests/board_fixture.h"

// Boards the package's configuration knows (venid 4040, devid 0100 and the
// board's subsystem).
const Board kSfp26{"sfp26", 0x26, 0x01264040, 2, 5, 0x42, "SN26", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0};
const Board kQuad24{"quad24", 0x24, 0x01244040, 4, 6, 0x42, "SN24", {0x00, 0x0E, 0x1E, 0x24, 0x00, 0x10}, 0};

class KeelsonScenario : public BoardScenario {
 protected:
  // The upgrade package at that firmware in DIR/drive_c/package, with the
  // programs beside it as the package ships them.
  void package(const std::string& firmware = "4.0.593") {
    std::string error;
    ASSERT_TRUE(simhost::writeDemoPackage(host_.dir(), firmware, &error)) << error;
    package_ = simhost::demoPackageDir(host_.dir());
    for (const char* program : {"burnkit", "burnkit_x64"}) {
      const std::filesystem::path shipped = std::filesystem::path(package_) / program;
      std::error_code ignored;
      if (!std::filesystem::exists(shipped, ignored))
        std::filesystem::create_symlink(corvane_test::binDir() + "/" + program, shipped);
    }
  }

  corvane_test::RunResult keelson(const std::vector<std::string>& args, const std::string& input = "") const {
    return host_.runIn(package_, "Keelson", args, input);
  }

  std::string logPath() const { return host_.dir().logDir() + "/burnkit.log"; }
  std::string log() const {
    std::string text;
    simhost::readFile(logPath(), &text, nullptr);
    return text;
  }

  // The firmware a card runs, as the host shows it.
  std::string firmware(const std::string& card) const {
    const nlohmann::json shown = nlohmann::json::parse(host_.sim("show", {"--json"}).out);
    for (const auto& c : shown["cards"])
      if (c["name"] == card) return c["firmware"];
    return "";
  }

  // The burnkit board report's hardware-flags line of the board at location.
  std::string hardwareFlags(const std::string& location) const {
    const corvane_test::RunResult info = host_.runIn(package_, "burnkit", {"-i", location, "--info"});
    const size_t at = info.out.find("Hardware Flags");
    return at == std::string::npos ? "" : info.out.substr(at, info.out.find('\n', at) - at);
  }

  uint64_t driverCalls(const std::string& card) const { return this->card(card)->stats().total; }

  std::string package_;
};

// Each text found in text after the one before it.
inline ::testing::AssertionResult inOrder(const std::string& text, const std::vector<std::string>& pieces) {
  size_t at = 0;
  for (const std::string& piece : pieces) {
    const size_t found = text.find(piece, at);
    if (found == std::string::npos) return ::testing::AssertionFailure() << "\"" << piece << "\" missing or out of order in\n" << text;
    at = found + piece.size();
  }
  return ::testing::AssertionSuccess();
}

inline bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }
