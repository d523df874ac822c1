#include "sw/tools/flashLoader/runstate/silent_step.h"

#include <thread>

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/runstate/tool_output.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

TEST(SilentStep, DropsTheStepsTextsAndTellsWhetherThereWereAny) {
  capture_tool_stdout();
  capture_tool_stderr();
  EXPECT_TRUE(ran_silently([] {}));
  EXPECT_FALSE(ran_silently([] { out_printf("held %d\n", 1); }));
  EXPECT_FALSE(ran_silently([] { err_printf("held\n"); }));
  // Another thread's texts (the console control handler's) are not held.
  EXPECT_TRUE(ran_silently([] { std::thread([] { err_printf("interrupted\n"); }).join(); }));
  out_printf("after\n");
  EXPECT_EQ(captured_tool_stdout(), "after\n");
  EXPECT_EQ(captured_tool_stderr(), "interrupted\n");
}

}  // namespace
