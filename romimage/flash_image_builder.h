// Building the FlashImage of one product from a unified ROM image: its nine
// sections at their flash offsets, the crbinit backup, the MD5 table and the
// user-area fields the image decides. Nothing here touches an adapter; the
// caller writes the picture once a build has succeeded.
#pragma once

#include <cstdint>
#include <span>

#include "romimage/flash_image.h"
#include "romimage/image_reader.h"

namespace burnkit {

// Reads the product's section of that kind into the picture at the
// product's flash offset for it. A product without the section succeeds
// with nothing written. 0 or 1; *size (when given) gets the section's size.
int readSection(const ImageDirectory& directory, const ProductRecord& product, const StringTable& strings,
                FlashImage& image, SectionKind kind, uint32_t* size = nullptr);

// The whole picture for one product. 0 or 1. A product without a boot loader
// or firmware, with a section that would reach past the flash, or with an
// MD5 table that does not lie inside the flash is refused.
int buildFlashImage(const ImageDirectory& directory, const ProductRecord& product, const StringTable& strings,
                    FlashImage& image);

// Reads the image and builds the first flashable product row whose
// subsystem id, subsystem vendor id, chip revision and board type all equal
// the adapter's. 0 or 1.
int findProductAndBuild(ImageSource& source, MessageSink& messages, FlashImage& image, uint32_t subsys,
                        uint32_t subvendor, uint32_t chipRevision, uint32_t boardType);

// The firmware version from the "REV=" trailer at the end of a firmware
// file, packed (major << 24 | minor << 16 | build); 0 when there is none or
// it does not parse ("string2version failure").
uint32_t firmwareVersionFromTrailer(std::span<const uint8_t> firmware, MessageSink& messages);

}  // namespace burnkit
