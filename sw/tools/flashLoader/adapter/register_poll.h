// Polling a chip register: how many reads the tool spends on the chip before
// it gives up (counts, not times: the loops never sleep), and a register read
// for such loops that reports a failing driver once per loop instead of once
// per read.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

struct PollLimits {
  uint32_t romLockRetries = 200000;     // reads of the semaphore after the first
  uint32_t controllerPolls = 20000000;  // controller status reads, and busy rounds
};

// Program-wide; lowered only by tests that make the chip never answer.
extern PollLimits g_poll_limits;

class RegisterPoll {
 public:
  RegisterPoll(const DeviceHandle& handle, uint32_t reg) : handle_(handle), reg_(reg) {}

  // The register's value, 0 when the read failed; the first failure of this
  // poll prints cvm_ppd_read's line, later ones stay quiet.
  uint32_t read();

 private:
  DeviceHandle handle_;
  uint32_t reg_;
  bool failureReported_ = false;
};
