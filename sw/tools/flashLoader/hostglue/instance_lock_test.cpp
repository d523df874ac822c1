#include "sw/tools/flashLoader/hostglue/instance_lock.h"

#include <filesystem>
#include <fstream>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/frontend/front_end_test_fixture.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

class InstanceLockTest : public FrontEndTest {
 protected:
  std::string lockFile() const { return host_.dir().tempDir() + "/corvane_lock_file"; }
  void leaveStaleLock() const { std::ofstream(lockFile()).put('\0'); }
  bool lockExists() const { return std::filesystem::exists(lockFile()); }
};

constexpr const char* kQuestion =
    "Warning: Either another Corvane tool is already running, or your last session did not close gracefully.\n"
    "Do you want to proceed anyway ? (Y/N) \n";

TEST_F(InstanceLockTest, TakesAFreeLockAndGivesItBack) {
  useHost();
  prepare_lock_path();
  EXPECT_EQ(lock_path(), lockFile());
  capture_tool_stdout();
  EXPECT_EQ(take_instance_lock(), 0);
  EXPECT_EQ(capturedOut(), "");
  EXPECT_TRUE(lockExists());
  release_at_exit();
  EXPECT_FALSE(lockExists());
}

TEST_F(InstanceLockTest, AStaleLockIsClearedOnlyByYesAndEnter) {
  struct Case {
    const char* input;
    int result;
    const char* after;  // what follows the question
  };
  const Case cases[] = {
      {"y\n", 0, ""},
      {"Y\n", 0, ""},
      {"n\n", -1, "EXITING....!!\n"},
      {"No\n", -1, "EXITING....!!\n"},
      {"yes\n", -1, "Wrong choice entered!!\n"},
      {"x\n", -1, "Wrong choice entered!!\n"},
      {"", -1, "Wrong choice entered!!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    leaveStaleLock();
    corvane_test::ScriptedHost* host = useHost(c.input);
    prepare_lock_path();
    capture_tool_stdout();
    EXPECT_EQ(take_instance_lock(), c.result);
    EXPECT_EQ(capturedOut(), std::string(kQuestion) + c.after);
    // Going on, the run holds a lock file of its own; refusing, the old one stays.
    EXPECT_TRUE(lockExists());
    if (c.result == 0) {
      EXPECT_EQ(host->scriptedConsole().unread(), "");
      release_at_exit();
      EXPECT_FALSE(lockExists());
    }
  }
}

TEST_F(InstanceLockTest, ALockThatCannotBeCreatedEndsTheRun) {
  std::filesystem::remove_all(host_.dir().tempDir());
  useHost();
  prepare_lock_path();
  capture_tool_stdout();
  EXPECT_EQ(take_instance_lock(), -1);
  EXPECT_EQ(capturedOut(), "File " + lockFile() + " create failed");
}

}  // namespace
