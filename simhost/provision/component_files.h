// The update framework's files of the demo package: the package definition
// "ksz3fw.xml" (names, description, version, install capabilities and the
// supported boards as PCI identifiers) and the installer file "install.xml",
// so that the package directory is a complete component directory.
#pragma once

#include <string>

#include "simhost/machine/host_dir.h"

namespace simhost {

inline constexpr char kComponentPackageFile[] = "ksz3fw.xml";

// The package definition for that firmware ("major.minor.build").
std::string componentPackageDefinition(const std::string& firmware);

// Writes both files into directory.
bool writeComponentFiles(const std::string& directory, const std::string& firmware, std::string* error);

}  // namespace simhost
