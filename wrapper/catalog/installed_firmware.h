// The list option (-c): installed and available firmware per supported
// adapter, to the console and the log.
#pragma once

namespace keelson {

// 1 when at least one supported adapter was listed, else 0.
int showInstalledFirmware();

}  // namespace keelson
