// Whole binary files in and out, with the system's reason on failure.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace romimage_tool {

bool readBinaryFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);
bool writeBinaryFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error);

}  // namespace romimage_tool
