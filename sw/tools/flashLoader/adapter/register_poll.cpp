#include "sw/tools/flashLoader/adapter/register_poll.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/driver_io.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

PollLimits g_poll_limits;

namespace {

const bool kReset = register_state_reset([] { g_poll_limits = PollLimits{}; });

}  // namespace

uint32_t RegisterPoll::read() {
  if (!handle_) {
    if (!failureReported_) out_printf("cvm_ppd_read:device handle null\n");
    failureReported_ = true;
    return 0;
  }
  DriverRequest request = make_word_request(kCmdRegisterRead);
  request.address = reg_;
  request.length = 4;
  if (CvDeviceIoControl(handle_, &request)) return static_cast<uint32_t>(request.data);
  if (!failureReported_) print_read_call_failed();
  failureReported_ = true;
  return 0;
}
