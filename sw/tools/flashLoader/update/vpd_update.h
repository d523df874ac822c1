// The PCI Vital Product Data of the new picture describes this board, not
// the release: its first MAC address as text, a date code taken from the
// serial number, and the checksum over both.
#pragma once

#include "romimage/flash_image.h"

// True when the picture has a VPD area (its first byte is 0x82).
bool has_vpd_area(const burnkit::FlashImage& image);

// Writes the date code, the MAC text and the checksum into the picture's
// VPD area, from the serial number and MAC slot 0 of its user area (the
// board's own, carried in before).
void update_vpd_area(burnkit::FlashImage& image);
