// Building the new flash picture for the open adapter from a unified ROM
// image: the adapter's product is the one that matches its subsystem (as
// the flash's user area records it), chip revision and board type.
#pragma once

#include <string>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "romimage/flash_image.h"

// 0 and the picture; 12 when the subsystem word cannot be read from the
// flash; 16 when the file cannot be opened, the board cannot be identified
// or the image holds no flashable picture for it (each after its line).
int load_image_for_adapter(const DeviceHandle& handle, const std::string& path, burnkit::FlashImage* image);
