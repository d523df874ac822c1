// The device object of another maker's adapter: it answers the standard
// vendor-driver-version query like any network driver and rejects every
// private request, which is how the tools tell it is not a Corvane port.
#pragma once

#include <memory>

#include "platform/driver_channel.h"

namespace platform {

std::unique_ptr<DriverChannel> makeForeignNicChannel();

}  // namespace platform
