#include "sw/tools/flashLoader/frontend/interface_option.h"

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
