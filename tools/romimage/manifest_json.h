// MANIFEST.json: a unified ROM image described as its products and the
// section files they use, for `romimage build`. Numbers are JSON numbers or
// texts in decimal or 0x-hexadecimal; section files are named relative to
// the manifest's directory.
//
// {
//   "format_version": "0x01000002",          optional, this is the default
//   "string_key": "0x5A",                    optional, this is the default
//   "products": [{
//     "name_a": "Corvane Z3", "name_b": "...", "name_c": "B2",     each optional
//     "board_type": "0x26", "subsys": "0x0126", "subvendor": "0x4040", "chip_revision": "0x42",
//     "flags": "0x1", "bios_version": "2.1.14", "product_word": "0x2642",
//     "md5_table": "0x3E8000",                  optional, this is the default
//     "program_subsys": "0x0126", "program_subvendor": "0x4040",    optional
//     "pxe_enable": "0x3",                                          optional
//     "sections": {"firmware": {"file": "firmware_26.bin", "offset": "0x40000"}, ...}
//   }]
// }
#pragma once

#include <string>

#include "romimage/image_manifest.h"

namespace romimage_tool {

// Reads the manifest and every section file it names. False and *error
// (naming the manifest and the field) on the first problem.
bool loadManifest(const std::string& path, burnkit::ImageManifest* manifest, std::string* error);

// Writes dir/MANIFEST.json and every section file into dir (created if
// needed), so that `romimage build` makes the same image again.
bool saveManifest(const burnkit::ImageManifest& manifest, const std::string& dir, std::string* error);

}  // namespace romimage_tool
