// Taking the port's driver out of the way while the flash changes, and
// bringing it back. The adapter's device object is closed before each
// switch: the switch restarts the device under it.
#pragma once

#include <cstdint>
#include <string>

enum class QuiescentEntry { entered, switchFailed, reopenFailed };

// Closes the adapter, switches the driver to quiescent mode, says so
// ("Driver Loaded in Quiesce mode \n") and reopens the adapter (*port as the
// driver reports it, 0 when the reopen failed).
QuiescentEntry enter_quiescent_mode(const std::string& interfaceName, uint32_t* port);

// Closes the adapter and switches the driver back to normal mode; the
// adapter stays closed. True when the switch was done.
bool return_to_normal_mode(const std::string& interfaceName);
