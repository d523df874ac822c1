// One imaged card and the demo package, burnkit run in the package's
// directory, and the checks that say a card is back in service. Shared by
// the recovery matrix and the concurrent-run table.
#pragma once

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "romimage/flash_layout.h"
#include "simhost/provision/demo_package.h"
#include "tests/fault_campaign.h"

inline const Board kServiceCard{"b26", 0x26, 0x01264040, 2, 5, 0x42, "SN26M", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x20},
                                0x26000000000000D4};

// An operation that writes the card (or reads it: --info), on the card's
// first port.
struct CardOperation {
  const char* name;
  std::vector<std::string> args;  // after "-i 5:0.0"
  std::string input;
  bool switchesDriver;  // the run switches the driver to quiescent and back
};

class CardRunScenario : public FaultCampaignScenario {
 protected:
  void SetUp() override {
    add(kServiceCard, "4.0.500");
    std::string error;
    ASSERT_TRUE(simhost::writeDemoPackage(host_.dir(), "4.0.593", &error)) << error;
    package_ = simhost::demoPackageDir(host_.dir());
    sim("set", {"close-grace", "3000"});
  }

  corvane_test::RunResult burnkitIn(const std::vector<std::string>& args, const std::string& input) const {
    return host_.runIn(package_, "burnkit", args, input);
  }
  static std::vector<std::string> onCard(std::vector<std::string> args) {
    args.insert(args.begin(), {"-i", "5:0.0"});
    return args;
  }
  bool lockLeft() const { return std::filesystem::exists(host_.dir().tempDir() + "/corvane_lock_file"); }
  // The answer to the stale-lock question, when the next run will ask it.
  std::string lockAnswer() const { return lockLeft() ? "y\n" : ""; }

  std::vector<std::string> filesStarting(const std::string& prefix) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(package_))
      if (entry.path().filename().string().rfind(prefix, 0) == 0) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  void removeRunFiles() const {
    for (const char* prefix : {"flashbackup_", "sectorbackup_", "incomplete_"})
      for (const std::string& name : filesStarting(prefix)) std::filesystem::remove(package_ + "/" + name);
  }

  // MACs, serial, feature and vNIC areas. The VPD is the release's, filled
  // in from the board's serial and MAC by the upgrade: it is checked by the
  // whole flash being as it was or as a clean run leaves it.
  static std::vector<uint8_t> boardData(const std::vector<uint8_t>& flash) {
    using burnkit::FlashLayout;
    using burnkit::UserArea;
    std::vector<uint8_t> data;
    auto take = [&](uint32_t offset, uint32_t size) {
      data.insert(data.end(), flash.begin() + offset, flash.begin() + offset + size);
    };
    take(FlashLayout::kUserArea + UserArea::kMacSlots, UserArea::kMacSlotSize * UserArea::kMacSlotCount);
    take(FlashLayout::kUserArea + UserArea::kSerialNumber, UserArea::kSerialNumberSize);
    take(FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize);
    take(FlashLayout::kVnicArea, FlashLayout::kVnicRoom);
    return data;
  }

  // Every function enabled and in normal mode, no lock file, no ROM
  // semaphore held, no protocol violation, and the flash passing its
  // self-test.
  ::testing::AssertionResult cardIsBack() const {
    const nlohmann::json ports = nlohmann::json::parse(host_.sim("show", {"--json"}).out)["cards"][0]["ports"];
    for (const auto& p : ports)
      if (!p["enabled"].get<bool>() || p["mode"] != "normal")
        return ::testing::AssertionFailure() << "a function is not back: " << ports.dump();
    if (lockLeft()) return ::testing::AssertionFailure() << "the lock file is left";
    if (card(kServiceCard.name)->semaphore().held) return ::testing::AssertionFailure() << "the ROM semaphore is held";
    const std::string violations = host_.violations();
    if (!violations.empty()) return ::testing::AssertionFailure() << violations;
    corvane_test::RunResult test = burnkitIn(onCard({"--testflash"}), "");
    if (test.exitCode != 0 || test.out.find("FLASH/NVRAM                 PASSED\n") == std::string::npos)
      return ::testing::AssertionFailure() << "the flash does not verify\n" << test.out << test.err;
    return ::testing::AssertionSuccess();
  }

  std::string package_;
};
