// The driver switch against a simulated dual-port card: the registry value,
// the functions' states, the driver modes they lead to, and the failures.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "platform/host.h"
#include "simhost/chip/card.h"
#include "sw/tools/flashLoader/adapter/driver_switch.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

using simhost::PortMode;

class DriverSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.addCard("dual", 0x26, 0x01264040, 2, 3);  // "Local Area Connection", "... 2"
    host_.addCard("quad", 0x24, 0x01244040, 4, 5);
    corvane_test::useScriptedSimHost(host_.root());
    card_ = simhost::Card::open(host_.dir().cardDir("dual"), nullptr);
    ASSERT_TRUE(card_);
  }

  // "LoadFirmware" of the dual card's port 0 ("0000"), or "" when absent.
  static std::string loadFirmware(const std::string& subkey = "0000") {
    platform::RegKey key;
    platform::RegValue value;
    platform::Registry& registry = platform::host().registry();
    if (registry.openKey(platform::regJoin(kNetClassKeyPath, subkey), &key) != platform::kErrorSuccess) return "?";
    if (registry.queryValue(key, "LoadFirmware", &value) != platform::kErrorSuccess) return "";
    return std::string(value.data.begin(), value.data.end());
  }

  template <typename F>
  static std::string printed(F run) {
    capture_tool_stdout();
    run();
    std::fflush(stdout);
    return captured_tool_stdout();
  }

  void reboot_on_state_change() {
    simhost::FaultRule rule;
    rule.action = simhost::FaultAction::kReboot;
    std::string error;
    ASSERT_TRUE(card_->addFaultRule(rule, &error)) << error;
  }

  corvane_test::Scenario host_;
  std::shared_ptr<simhost::Card> card_;
};

TEST_F(DriverSwitchTest, QuiescentThenNormalRestartsTheWholeCard) {
  int result = -1;
  EXPECT_EQ(printed([&] { result = switch_driver_mode(kDriverModeQuiescent, "local area connection"); }),
            "Disabling devices\nDisabling devices\n");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(loadFirmware(), std::string("3\0\0\0", 4));
  EXPECT_EQ(card_->portMode(0), PortMode::kQuiescent);
  EXPECT_EQ(card_->portMode(1), PortMode::kStopped);

  EXPECT_EQ(printed([&] { result = switch_driver_mode(kDriverModeNormal, "Local Area Connection"); }),
            "Enabling devices\nEnabling devices\n");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(loadFirmware(), "");
  EXPECT_EQ(card_->portMode(0), PortMode::kNormal);
  EXPECT_EQ(card_->portMode(1), PortMode::kNormal);
  std::shared_ptr<simhost::Card> quad = simhost::Card::open(host_.dir().cardDir("quad"), nullptr);
  EXPECT_EQ(quad->portMode(0), PortMode::kNormal) << "another card's functions are left alone";
}

TEST_F(DriverSwitchTest, ARebootRequestFailsTheSwitchAndKeepsTheValue) {
  reboot_on_state_change();
  int result = -1;
  std::string out = printed([&] { result = switch_driver_mode(kDriverModeQuiescent, "Local Area Connection"); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(out, "Disabling devices\nYou must restart your computer for these changes to take effect.\n");
  EXPECT_EQ(loadFirmware(), std::string("3\0\0\0", 4));
}

TEST_F(DriverSwitchTest, UnknownConnectionFailsBeforeTouchingAnything) {
  int result = -1;
  EXPECT_EQ(printed([&] { result = switch_driver_mode(kDriverModeQuiescent, "No Such Connection"); }),
            "FindDevice Failed\n");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(card_->portMode(0), PortMode::kNormal);
}

TEST_F(DriverSwitchTest, ClearSettingsActsOnlyOnALeftoverSwitch) {
  int result = -1;
  EXPECT_EQ(printed([&] { result = cv_driver_quiescent_mode("Local Area Connection"); }), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(card_->stats().total, 0u);

  // A run that ended between the two switches left the value and a stopped
  // function behind; clearing brings the card back to normal.
  ASSERT_EQ(switch_driver_mode(kDriverModeQuiescent, "Local Area Connection"), 1);
  std::string out = printed([&] { result = cv_driver_quiescent_mode("Local Area Connection"); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(out, "Disabling devices\nDisabling devices\nEnabling devices\nEnabling devices\n");
  EXPECT_EQ(loadFirmware(), "");
  EXPECT_EQ(card_->portMode(0), PortMode::kNormal);
  EXPECT_EQ(card_->portMode(1), PortMode::kNormal);
}

// A quiescent half that fails ends the repair: one restart message, no
// normal half, and the marker stays for the next run, which then clears
// the switch once the device takes state changes again.
TEST_F(DriverSwitchTest, ClearSettingsWhoseQuiescentHalfFailsStopsAndKeepsTheMarker) {
  ASSERT_EQ(switch_driver_mode(kDriverModeQuiescent, "Local Area Connection"), 1);
  reboot_on_state_change();
  int result = -1;
  std::string out = printed([&] { result = cv_driver_quiescent_mode("Local Area Connection"); });
  EXPECT_EQ(result, 31);
  EXPECT_EQ(out,
            "Disabling devices\n"
            "You must restart your computer for these changes to take effect.\n"
            "cv_driver_quiescent_mode failed \n");
  EXPECT_EQ(loadFirmware(), std::string("3\0\0\0", 4));

  std::string error;
  ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
  EXPECT_EQ(cv_driver_quiescent_mode("Local Area Connection"), 0);
  EXPECT_EQ(loadFirmware(), "");
  EXPECT_EQ(card_->portMode(0), PortMode::kNormal);
  EXPECT_EQ(card_->portMode(1), PortMode::kNormal);
}

}  // namespace
