// What belongs to the board and not to the release is carried from the
// current flash into the new picture before it is sealed: the NC-SI setting
// of the one OEM board that has it, the MAC addresses, the serial number,
// the board type word, the feature area, the vNIC property area with its
// function masks, and the VPD fields derived from them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/boardconfig/user_area_record.h"
#include "romimage/flash_image.h"

// The board whose NC-SI setting lives in its register-initialisation table.

// The flash's NC-SI entry replaces the picture's when both have one and the
// board is the NC-SI board. Anything unreadable leaves the picture as built.
void carry_ncsi_setting(const DeviceHandle& handle, burnkit::FlashImage& image);

// MAC slots and serial number from the user area read before, and the
// board type word.
void carry_board_identity(const UserAreaRecord& flashUserArea, uint32_t boardType, burnkit::FlashImage& image);

// The feature area, then the vNIC property area when the flash has one (with
// the function masks that go with it), read from the flash with progress.
// 0, or 12 (after its line for the vNIC area) when a read failed.
int carry_board_areas(const DeviceHandle& handle, const UserAreaRecord& flashUserArea, burnkit::FlashImage& image);

// The flash's feature area and, when its header says it has one, its vNIC
// area, read into a 4 MiB picture at their own offsets; vnicLine announces
// the vNIC area. 0 (and *vnicPresent), or 12 after the failure's line.
int read_feature_and_vnic_areas(const DeviceHandle& handle, std::span<uint8_t> picture, const char* vnicLine,
                                bool* vnicPresent);

// The bytes of the vNIC property area its 8-byte header announces (its
// 16-bit size field counts 8-byte units, the header included; a size of 0
// carries nothing); the area never reaches into the user area. nullopt when
// the header does not carry the signature.
std::optional<uint32_t> vnic_area_bytes(uint32_t headerWord0, uint32_t headerWord1);
