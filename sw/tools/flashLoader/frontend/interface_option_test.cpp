#include "sw/tools/flashLoader/frontend/interface_option.h"

#include "simhost/chip/card.h"
#include "simhost/devices/device_store.h"
#include "sw/tools/flashLoader/frontend/front_end_test_fixture.h"
#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

using InterfaceOptionTest = FrontEndTest;

TEST_F(InterfaceOptionTest, APciLocationNamesTheConnectionOfThatPort) {
  struct Case {
    int bus, device, function;
    const char* name;  // the interface name afterwards
  };
  const Case cases[] = {
      {3, 0, 1, "Local Area Connection 2"},
      {3, 0, 0, "Local Area Connection"},
      {3, 0, 2, "3:0.2"},
      {1, 0, 0, "1:0.0"},  // the other maker's adapter is never taken
  };
  useHost();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    set_interface_name(std::to_string(c.bus) + ":" + std::to_string(c.device) + "." + std::to_string(c.function));
    capture_tool_stdout();
    EXPECT_EQ(find_connection_at(c.bus, c.device, c.function), std::nullopt);
    EXPECT_EQ(capturedOut(), "");
    EXPECT_EQ(g_run.interfaceName, c.name);
    EXPECT_EQ(adapter_handle(), nullptr);  // every port opened on the way is closed again
  }
}

// A location names one port: the search opens no other card's port, so it
// costs the same on a host with many cards.
TEST_F(InterfaceOptionTest, APciLocationOpensOnlyThePortAtIt) {
  host_.addImagedCard("second", 0x26, 0x01264040, 2, 5);
  useHost();
  capture_tool_stdout();
  EXPECT_EQ(find_connection_at(5, 0, 1), std::nullopt);
  EXPECT_EQ(capturedOut(), "");
  EXPECT_EQ(g_run.interfaceName, "Local Area Connection 4");

  const auto calls = [&](const char* card) {
    std::string error;
    std::shared_ptr<simhost::Card> opened = simhost::Card::open(host_.dir().cardDir(card), &error);
    return opened ? opened->stats().total : ~uint64_t{0};
  };
  EXPECT_EQ(calls("dual"), 0u);
  EXPECT_GT(calls("second"), 0u);
}

// When a lookup on the way fails, the search prints what the port-by-port
// search always printed, once: what the look ahead met is not shown twice.
TEST_F(InterfaceOptionTest, ALookupThatFailsOnTheWayIsReportedOnce) {
  simhost::DeviceStore store(host_.dir());
  ASSERT_TRUE(store.update(
      [](simhost::DeviceTable& table) {
        for (simhost::DeviceRecord& d : table.devices)
          if (d.card == "dual" && d.port == 0) d.driverKey.clear();  // its driver property cannot be read
        return true;
      },
      nullptr));
  useHost();
  set_interface_name("3:0.1");
  capture_tool_stdout();
  EXPECT_EQ(find_connection_at(3, 0, 1), StepResult{1});
  EXPECT_EQ(capturedOut(), "SetupDiGetDeviceRegistryProperty 13");
  EXPECT_EQ(g_run.interfaceName, "3:0.1");
  EXPECT_EQ(adapter_handle(), nullptr);
}

TEST_F(InterfaceOptionTest, OpensTheAdapterAndLearnsItsPortAndBoardType) {
  useHost();
  EXPECT_EQ(open_interface("local area connection 2"), std::nullopt);
  EXPECT_EQ(g_run.status, 0);
  EXPECT_EQ(g_run.port, 1u);
  EXPECT_EQ(g_run.boardType, 0x26u);
  EXPECT_EQ(g_run.portCount, 2u);
  EXPECT_NE(adapter_handle(), nullptr);
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(InterfaceOptionTest, ReportModeOpensNoAdapter) {
  useHost();
  EXPECT_EQ(open_interface("Local Area Connection XML"), std::nullopt);
  EXPECT_EQ(g_xml_mode, 1);
  EXPECT_EQ(adapter_handle(), nullptr);
  EXPECT_EQ(g_interface_list.size(), 3u);
}

TEST_F(InterfaceOptionTest, NamesAreCutAtTheirBuffers) {
  set_interface_name(std::string(300, 'n'));
  set_image_name(std::string(600, 'm'));
  EXPECT_EQ(g_run.interfaceName, std::string(254, 'n'));
  EXPECT_EQ(g_run.imageName, std::string(511, 'm'));
}

}  // namespace
