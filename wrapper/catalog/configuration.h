// The wrapper's configuration "NICFWData.xml": the boards it may upgrade and
// their package firmware.
#pragma once

#include <string>

#include "wrapper/state/firmware_catalog.h"
#include "wrapper/state/version_triple.h"

namespace keelson {

// Fills firmwareCatalog() from "NICFWData.xml" in the current directory; on a
// parse error logs it and leaves the catalog as it was.
void loadConfiguration();

// The catalog key of four id texts: each right-aligned, zero-padded to at
// least four characters, joined by '-'.
std::string catalogKey(const std::string& venid, const std::string& devid, const std::string& subvenid,
                       const std::string& subdevid);

// A "rom" text: from the character before the first '.' on, split at '.'
// into major, minor and build (decimal; no digits give 0). False when the
// text has no '.' before a character, or a part does not fit.
bool parseRomVersion(const std::string& text, VersionTriple* version);

}  // namespace keelson
