// In-process tests of the front end: a fresh simulated host with a Corvane
// dual-port board (bus 3, its flash from a ROM image) and another maker's
// adapter, made the process's host with a scripted console, and the run's
// program-wide state reset.
#pragma once

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

class FrontEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.addImagedCard("dual", 0x26, 0x01264040, 2, 3);
    simhost::NicOrder other;
    other.vendor = 0x8086;
    other.device = 0x10FB;
    other.connection = "Other Port";
    host_.addNic(other);
    resetState();
  }
  void TearDown() override { resetState(); }

  // Console input for the code under test; replaces the process's host.
  corvane_test::ScriptedHost* useHost(const std::string& input = std::string()) {
    return corvane_test::useScriptedSimHost(host_.root(), input);
  }

  static void resetState() { reset_run_state(); }

  static std::string capturedOut() {
    std::fflush(stdout);
    return captured_tool_stdout();
  }
  static std::string capturedErr() {
    std::fflush(stderr);
    return captured_tool_stderr();
  }

  corvane_test::Scenario host_;
};
