// The configuration's boards: PCI id key to the package firmware.
#pragma once

#include <map>
#include <string>

#include "wrapper/state/version_triple.h"

namespace keelson {

struct FirmwareEntry {
  std::string name;
  std::string venid;
  std::string devid;
  std::string subvenid;
  std::string subdevid;
  std::string rom;
  std::string fwFile;
  VersionTriple romVersion;
};

// Keyed by the four id texts, each right-aligned and zero-padded to at least
// four characters, joined by '-'. Keys compare as exact text.
using FirmwareCatalog = std::map<std::string, FirmwareEntry>;

// The process's catalog: loaded at every discovery, never emptied.
FirmwareCatalog& firmwareCatalog();

}  // namespace keelson
