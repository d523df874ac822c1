#include "sw/tools/flashLoader/hostglue/host_checks.h"

#include "sw/tools/flashLoader/frontend/front_end_test_fixture.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

using HostChecksTest = FrontEndTest;

TEST_F(HostChecksTest, ABackupNeedsFiveMebibytesFree) {
  useHost();
  ASSERT_EQ(host_.sim("set", {"free-bytes", std::to_string(0x500000)}).exitCode, 0u);
  EXPECT_EQ(check_free_space(), 0);
  ASSERT_EQ(host_.sim("set", {"free-bytes", std::to_string(0x4FFFFF)}).exitCode, 0u);
  EXPECT_EQ(check_free_space(), 31);
}

TEST_F(HostChecksTest, OnlyANativeProcessMayWriteTheFlash) {
  struct Case {
    const char* wow64;
    bool native;
    const char* err;
  };
  const Case cases[] = {
      {"no", true, ""}, {"absent", true, ""}, {"yes", false, ""}, {"fail", false, "Failed in IsWow64\n"}};
  useHost();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wow64);
    ASSERT_EQ(host_.sim("set", {"wow64", c.wow64}).exitCode, 0u);
    capture_tool_stderr();
    EXPECT_EQ(running_as_native_process(), c.native);
    EXPECT_EQ(capturedErr(), c.err);
  }
}

}  // namespace
