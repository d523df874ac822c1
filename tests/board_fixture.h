// End-to-end scenarios on boards provisioned from ROM images: a host with
// several board types, the card's flash and stats at hand, burnkit run
// against it.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/chip/card.h"
#include "tests/support/scenario.h"

struct Board {
  const char* name;
  uint32_t board;
  uint32_t subsys;
  uint32_t ports;
  uint32_t bus;
  uint8_t chipRevision;
  const char* serial;
  simhost::MacAddress mac;
  uint64_t efuse;
};

class BoardScenario : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(host_.violations(), ""); }

  void add(const Board& b, const std::string& firmware = "4.0.500") {
    simhost::CardOrder order;
    order.name = b.name;
    order.board = b.board;
    order.subsys = b.subsys;
    order.ports = b.ports;
    order.bus = b.bus;
    order.chipRevision = b.chipRevision;
    order.serial = b.serial;
    order.mac = b.mac;
    order.efuse = b.efuse;
    order.firmware = firmware;
    host_.addImagedCard(order);
  }

  corvane_test::RunResult burnkit(const std::vector<std::string>& args, const std::string& input = "") const {
    return host_.run("burnkit", args, input);
  }
  void sim(const std::string& command, const std::vector<std::string>& args) const {
    corvane_test::RunResult r = host_.sim(command, args);
    ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  }

  std::shared_ptr<simhost::Card> card(const std::string& name) const {
    std::string error;
    std::shared_ptr<simhost::Card> opened = simhost::Card::open(host_.dir().cardDir(name), &error);
    EXPECT_TRUE(opened) << error;
    return opened;
  }
  uint64_t calls(const std::string& name, uint32_t command) const {
    simhost::CardStats stats = card(name)->stats();
    return stats.calls.count(command) ? stats.calls[command] : 0;
  }
  uint32_t flashWord(const std::string& name, uint32_t offset) const { return card(name)->flashWord(offset); }
  void setFlashWord(const std::string& name, uint32_t offset, uint32_t value) const {
    std::shared_ptr<simhost::Card> c = card(name);
    std::vector<uint8_t> bytes(c->flash().begin(), c->flash().end());
    std::memcpy(bytes.data() + offset, &value, sizeof value);
    std::string error;
    ASSERT_TRUE(c->loadFlashImage(bytes, &error)) << error;
  }
  // The register-initialisation table's entry count.
  uint32_t crbinitEntries(const std::string& name) const { return flashWord(name, 4) >> 16; }

  corvane_test::Scenario host_;
};
