// In-process tests of the adapter layer: a simulated host with one Corvane
// board whose flash comes from a ROM image (a valid MD5 table), made the
// process's host with a scripted console, its first port opened as the
// session's adapter. The card itself is at hand to look at its flash, chip,
// stats and to inject faults.
#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/chip/card.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/register_poll.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

class AdapterTest : public ::testing::Test {
 protected:
  // The run's files (sector copies kept by board edits) go to the test's
  // own directory.
  void SetUp() override {
    resetSession();
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(host_.root());
  }
  void TearDown() override {
    if (card_) {
      EXPECT_FALSE(card_->semaphore().held) << "the ROM lock was left held";
      EXPECT_EQ(host_.violations(), "");
    }
    resetSession();
    if (!previousDirectory_.empty()) std::filesystem::current_path(previousDirectory_);
  }

  static void resetSession() { reset_run_state(); }

  static simhost::CardOrder dualBoard() {
    simhost::CardOrder order;
    order.name = "dual";
    order.board = 0x26;
    order.subsys = 0x01264040;
    order.ports = 2;
    order.bus = 3;
    order.serial = "SN0123456789";
    order.mac = simhost::MacAddress{0x00, 0x0E, 0x1E, 0x10, 0x20, 0x30};
    order.efuse = 0x0123456789ABCDEFull;
    return order;
  }

  // Provisions the board, its flash from an image unless imaged is false.
  void addBoard(const simhost::CardOrder& order = dualBoard(), bool imaged = true) {
    if (imaged) host_.addImagedCard(order);
    else host_.addCard(order);
    cardName_ = order.name;
  }
  // Makes the host the process's (console input given), opens the port
  // and returns the session's handle.
  DeviceHandle openPort(const std::string& connection = "Local Area Connection",
                        const std::string& input = std::string()) {
    console_ = corvane_test::useScriptedSimHost(host_.root(), input);
    std::string error;
    card_ = simhost::Card::open(host_.dir().cardDir(cardName_), &error);
    EXPECT_TRUE(card_) << error;
    uint32_t port = 0;
    EXPECT_EQ(open_adapter(connection, &port), 0);
    return adapter_handle();
  }
  DeviceHandle openBoard(const simhost::CardOrder& order = dualBoard()) {
    addBoard(order);
    return openPort();
  }
  // Rewrites the card's static facts before the host is opened.
  void editCardConfig(const std::function<void(simhost::CardConfig&)>& edit) {
    const std::string path = host_.dir().cardDir(cardName_) + "/card.json";
    simhost::CardConfig config;
    std::string error;
    ASSERT_TRUE(simhost::loadCardConfig(path, &config, &error)) << error;
    edit(config);
    ASSERT_TRUE(simhost::saveCardConfig(path, config, &error)) << error;
  }

  simhost::Card& card() { return *card_; }

  uint64_t calls(uint32_t command) const {
    simhost::CardStats stats = card_->stats();
    return stats.calls.count(command) ? stats.calls[command] : 0;
  }

  void fault(simhost::FaultAction action, std::optional<uint32_t> command, uint64_t after = 0,
             std::optional<simhost::OffsetRange> offsets = std::nullopt, std::optional<uint64_t> times = std::nullopt) {
    simhost::FaultRule rule;
    rule.action = action;
    rule.command = command;
    rule.after = after;
    rule.offsets = offsets;
    rule.times = times;
    std::string error;
    ASSERT_TRUE(card_->addFaultRule(rule, &error)) << error;
  }
  void clearFaults() {
    std::string error;
    ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
  }

  std::vector<uint8_t> flash() const { return {card_->flash().begin(), card_->flash().end()}; }
  uint32_t flashWord(uint32_t offset) const { return card_->flashWord(offset); }
  // Changes the flash behind the tool's back, as another writer would.
  void setFlashWord(uint32_t offset, uint32_t value) {
    std::vector<uint8_t> bytes = flash();
    std::memcpy(bytes.data() + offset, &value, sizeof value);
    std::string error;
    ASSERT_TRUE(card_->loadFlashImage(bytes, &error)) << error;
  }

  static void captureOutput() {
    capture_tool_stdout();
    capture_tool_stderr();
  }
  static std::string capturedOut() {
    std::fflush(stdout);
    return captured_tool_stdout();
  }
  static std::string capturedErr() {
    std::fflush(stderr);
    return captured_tool_stderr();
  }

  corvane_test::Scenario host_;
  corvane_test::ScriptedHost* console_ = nullptr;
  std::shared_ptr<simhost::Card> card_;
  std::string cardName_;
  std::filesystem::path previousDirectory_;
};
