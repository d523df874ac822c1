#include "sw/tools/flashLoader/frontend/port_prompt.h"

#include "sw/tools/flashLoader/frontend/front_end_test_fixture.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

using PortPromptTest = FrontEndTest;

TEST_F(PortPromptTest, AcceptsOnlyAPortOfTheBoard) {
  struct Case {
    const char* typed;
    int result;
    uint32_t port;
  };
  const Case cases[] = {
      {"1\n", 0, 1}, {"0\n", 0, 0}, {" 3\n", 0, 3}, {"4\n", -1, 9}, {"-1\n", -1, 9}, {"two\n", -1, 9}, {"", -1, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    useHost(c.typed);
    g_run.portCount = 4;
    g_run.port = 9;
    capture_tool_stdout();
    capture_tool_stderr();
    EXPECT_EQ(ask_port_number(), c.result);
    EXPECT_EQ(capturedOut(), "Enter the port number[0-3]:");
    EXPECT_EQ(capturedErr(), c.result == 0 ? "" : "Invalid port number entered\n");
    EXPECT_EQ(g_run.port, c.port);
  }
}

TEST_F(PortPromptTest, ReportModeTakesThePortFromThePortTextWithoutAsking) {
  struct Case {
    const char* text;
    int result;
  };
  const Case cases[] = {{"3:0.1", 0}, {"3:0.2", -1}, {"no dot", -1}, {"3:0.", -1}, {"", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvane_test::ScriptedHost* host = useHost("0\n");
    g_xml_mode = 1;
    g_xml_port_text = c.text;
    g_run.portCount = 2;
    capture_tool_stdout();
    capture_tool_stderr();
    EXPECT_EQ(ask_port_number(), c.result);
    EXPECT_EQ(capturedOut(), "");
    EXPECT_EQ(capturedErr(), c.result == 0 ? "" : "Invalid port number entered\n");
    EXPECT_EQ(host->scriptedConsole().unread(), "0\n");
    if (c.result == 0) {
      EXPECT_EQ(g_run.port, 1u);
    }
  }
}

}  // namespace
