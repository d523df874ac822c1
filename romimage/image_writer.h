// Writing unified ROM images: the file a manifest describes, every table
// with its digest. Section files with the same bytes are stored once per
// kind, as are equal name texts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "romimage/image_manifest.h"

namespace burnkit {

// Throws std::length_error when the image would not fit the format's 32-bit
// offsets.
std::vector<uint8_t> writeImage(const ImageManifest& manifest);

// Recomputes every digest of an image after its bytes were changed in place,
// from the bottom up: section rows, the tables, the directory, the header.
// Only what lies inside the buffer is touched; a damaged image stays as
// damaged as its tables make it.
void resealImage(std::span<uint8_t> image);

}  // namespace burnkit
