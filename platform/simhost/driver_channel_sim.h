// The device object of one port of a simulated card: DeviceIoControl goes to
// the card's simulated NIC driver.
#pragma once

#include <memory>

#include "platform/driver_channel.h"
#include "simhost/chip/card.h"

namespace platform {

// nullptr (and *error = ERROR_FILE_NOT_FOUND) when the card has no such port.
std::unique_ptr<DriverChannel> makePortChannel(std::shared_ptr<simhost::Card> card, int port,
                                               WinError* error = nullptr);

}  // namespace platform
