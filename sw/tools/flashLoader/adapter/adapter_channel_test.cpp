// The driver channel against simulated cards: opening a port, the register
// wrappers and flash-update begin and end.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "simhost/chip/card.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/flash_update_notice.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

constexpr uint32_t kSubsystemRegister = 0x09B0001C;

class AdapterChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    g_adapter.device.store(nullptr);
    g_adapter.dialect.store(kDialectNotProbed);
  }

  simhost::CardOrder card(const std::string& name, uint32_t bus, uint32_t ports = 1) {
    simhost::CardOrder params;
    params.name = name;
    params.board = 0x26;
    params.subsys = 0x01264040;
    params.ports = ports;
    params.bus = bus;
    return params;
  }
  uint64_t calls(const std::string& cardName, uint32_t command) {
    std::string error;
    auto opened = simhost::Card::open(host_.dir().cardDir(cardName), &error);
    if (!opened) {
      ADD_FAILURE() << error;
      return 0;
    }
    auto stats = opened->stats();
    return stats.calls.count(command) ? stats.calls[command] : 0;
  }
  void fault(const std::string& cardName, const std::string& command) {
    ASSERT_EQ(host_.sim("fault", {cardName, "--action", "fail", "--cmd", command}).exitCode, 0u);
  }
  static std::string out() {
    std::fflush(stdout);
    return captured_tool_stdout();
  }

  corvane_test::Scenario host_;
};

TEST_F(AdapterChannelTest, OpensAPortInEitherDialect) {
  for (const char* dialect : {"standard", "alternate"}) {
    SCOPED_TRACE(dialect);
    corvane_test::Scenario host;
    simhost::CardOrder params = card("dual", 3, 2);
    params.dialect = dialect;
    host.addCard(params);
    corvane_test::useScriptedSimHost(host.root());
    reset();

    uint32_t port = 99;
    ASSERT_EQ(open_adapter("Local Area Connection 2", &port), 0);
    EXPECT_EQ(port, 1u);
    EXPECT_EQ(cvm_ppd_read(adapter_handle(), kSubsystemRegister), 0x01264040u);
    EXPECT_EQ(g_adapter.dialect.load(), std::string(dialect) == "alternate" ? kDialectAlternate : kDialectStandard);
    close_adapter();
    EXPECT_EQ(adapter_handle(), nullptr);
  }
}

TEST_F(AdapterChannelTest, APortWhoseDriverRejectsTheProbeDoesNotOpen) {
  host_.addCard(card("one", 3));
  corvane_test::useScriptedSimHost(host_.root());
  fault("one", "22");
  uint32_t port = 7;
  EXPECT_EQ(open_adapter("Local Area Connection", &port), -1);
  EXPECT_EQ(port, 7u);
  EXPECT_NE(adapter_handle(), nullptr);  // the handle is kept; its owner closes it
  EXPECT_EQ(calls("one", 22), 1u);
}

TEST_F(AdapterChannelTest, NamesThatAreNoCorvanePortOpenNothing) {
  host_.addCard(card("one", 3));
  corvane_test::useScriptedSimHost(host_.root());
  uint32_t port = 0;
  capture_tool_stdout();
  EXPECT_EQ(open_adapter("", &port), -1);
  EXPECT_EQ(out(), "") << "an empty name fails its resolution, silently";
  EXPECT_EQ(open_adapter("No Such Connection", &port), -1);
  EXPECT_EQ(adapter_handle(), nullptr);
}

TEST_F(AdapterChannelTest, RegisterWrappersReportWhatWentWrong) {
  host_.addCard(card("one", 3));
  corvane_test::useScriptedSimHost(host_.root());

  capture_tool_stdout();
  EXPECT_EQ(cvm_ppd_read(nullptr, kSubsystemRegister), 0u);
  EXPECT_EQ(cvm_ppd_write(nullptr, 0x08202188, 1), -1);
  EXPECT_EQ(out(), "cvm_ppd_read:device handle null\ncvm_ppd_write:device handle null\n");

  uint32_t port = 0;
  ASSERT_EQ(open_adapter("Local Area Connection", &port), 0);
  EXPECT_EQ(cvm_ppd_write(adapter_handle(), 0x08202188, 5), 0);
  EXPECT_EQ(cvm_ppd_read(adapter_handle(), 0x08202188), 5u);

  fault("one", "1");
  fault("one", "2");
  capture_tool_stdout();
  EXPECT_EQ(cvm_ppd_read(adapter_handle(), kSubsystemRegister), 0u);
  EXPECT_EQ(cvm_ppd_write(adapter_handle(), 0x08202188, 6), -1);
  EXPECT_EQ(out(), "IO CONTROL FAILED = 0x1f \nERROR cvm_ppd_write ioctl failed ret = 31 \n");

  // A handle whose open failed reaches no driver.
  capture_tool_stdout();
  EXPECT_EQ(cvm_ppd_read(std::make_shared<DeviceObject>(), kSubsystemRegister), 0u);
  EXPECT_EQ(out(), "IO CONTROL FAILED = 0x6 \n");
}

TEST_F(AdapterChannelTest, FlashUpdateBeginAndEndGoOnlyToDriversThatNeedThem) {
  struct Case {
    const char* driver;
    bool sent;
  };
  const Case cases[] = {{"4.0.200", true}, {"4.0.201", false}, {"4.0.210", false}, {"4.0.227", false},
                        {"4.0.228", true}, {"4.0.593", true},  {"3.4.336", true},  {"3.9.0", true},
                        {"4.1.0", false},  {"4.2.17", false},  {"5.0.3", true},    {"5.1.0", false}};
  uint32_t bus = 10;
  for (const Case& c : cases) {
    std::string name = "drv" + std::to_string(bus);
    simhost::CardOrder params = card(name, bus++);
    params.driver = c.driver;
    host_.addCard(params);
  }
  corvane_test::useScriptedSimHost(host_.root());
  bus = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.driver);
    std::string name = "drv" + std::to_string(bus);
    std::string connection = "Local Area Connection" + (bus == 10 ? std::string() : " " + std::to_string(bus - 9));
    ++bus;
    uint32_t port = 0;
    ASSERT_EQ(open_adapter(connection, &port), 0);
    EXPECT_EQ(flash_update_begin(adapter_handle()), 0);
    EXPECT_EQ(flash_update_end(adapter_handle()), 0);
    EXPECT_EQ(calls(name, 105), 2u);
    EXPECT_EQ(calls(name, 116), c.sent ? 1u : 0u);
    EXPECT_EQ(calls(name, 117), c.sent ? 1u : 0u);
  }
}

TEST_F(AdapterChannelTest, AnUnknownDriverVersionGetsNoFlashUpdateNotice) {
  host_.addCard(card("one", 3));
  corvane_test::useScriptedSimHost(host_.root());
  uint32_t port = 0;
  ASSERT_EQ(open_adapter("Local Area Connection", &port), 0);
  fault("one", "105");
  capture_tool_stdout();
  EXPECT_EQ(get_driver_version(adapter_handle()), 0xFFFFFFFFu);
  EXPECT_EQ(flash_update_begin(adapter_handle()), 0);
  EXPECT_EQ(out(), "IO CONTROL FAILED = 0x1f \nIO CONTROL FAILED = 0x1f \n");
  EXPECT_EQ(calls("one", 116), 0u);
}

TEST_F(AdapterChannelTest, AFailedFlashUpdateNoticeIsReported) {
  host_.addCard(card("one", 3));
  corvane_test::useScriptedSimHost(host_.root());
  uint32_t port = 0;
  ASSERT_EQ(open_adapter("Local Area Connection", &port), 0);
  fault("one", "117");
  capture_tool_stdout();
  EXPECT_EQ(flash_update_end(adapter_handle()), -1);
  EXPECT_EQ(out(), "IO CONTROL FAILED = 0x1f \n");
}

}  // namespace
