// What the tool asks of the host again and again in one run, read once: the
// connections under the network key, the adapter instances under the class
// key, the network devices and their properties. The lookups give the same
// answers in the same order; only the reading is done once.
//
// What is kept is dropped when the host can have changed under it: after a
// device state change made by this run (a restarted device may come back
// changed), when another host is installed, and when a run starts
// (reset_run_state). A walk that printed an error is not kept: the next
// question asks the host again and prints its own line. One thread asks.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/device_set.h"

struct HostIndexStamp {
  uint64_t host = 0;     // platform::hostReplacements()
  uint64_t changes = 0;  // device state changes and resets of this process
  bool operator==(const HostIndexStamp&) const = default;
};

HostIndexStamp host_index_stamp();

// Drops everything kept (a change the index cannot see, or a new run).
void forget_host_index();

// DIF_PROPERTYCHANGE on a device, through the host; forgets the index.
platform::StateChangeResult change_device_state(const platform::DeviceRef& device, platform::StateChange change,
                                                platform::StateScope scope);

// One piece of the index: value() is what was kept under the current stamp,
// or an empty T when the host may have changed since.
template <typename T>
class HostIndexed {
 public:
  T& value() {
    const HostIndexStamp now = host_index_stamp();
    if (!(now == stamp_) || !valid_) {
      value_ = T{};
      stamp_ = now;
      valid_ = true;
    }
    return value_;
  }

 private:
  T value_{};
  HostIndexStamp stamp_;
  bool valid_ = false;
};
