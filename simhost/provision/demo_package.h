// The files the demo server's upgrade package ships beside the programs: the
// unified ROM image "quarry_romimage" with a newer firmware for every board
// it knows, and the wrapper's configuration "NICFWData.xml" naming those
// boards and that firmware. The simulated host has no program directory of
// its own, so the package lives on its system drive, DIR/drive_c/package/.
#pragma once

#include <cstdint>
#include <string>

#include "simhost/machine/host_dir.h"

namespace simhost {

std::string demoPackageDir(const HostDir& dir);

// The programs the package runs from its own directory, taken from
// programDir where they have been built: burnkit, burnkit_x64 (the files
// "burnkit.exe" and "burnkit_x64.exe" name here) and Keelson. A program
// missing from programDir is left out.
bool installDemoPrograms(const HostDir& dir, const std::string& programDir, std::string* error);

// firmware: "major.minor.build".
bool writeDemoPackage(const HostDir& dir, const std::string& firmware, std::string* error);

// The wrapper's configuration for the boards of a synthetic image at that
// firmware, one inner "nic" per product row.
std::string nicFirmwareConfiguration(const std::string& firmware, const std::string& imageName);

// A synthetic unified ROM image at that firmware with one product row.
bool writeSingleProductImage(const std::string& path, const std::string& firmware, uint32_t board, uint32_t subsys,
                             uint8_t chipRevision, std::string* error);

}  // namespace simhost
