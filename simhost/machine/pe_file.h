// The program and driver files of the simulated system drive (the drivers'
// .sys files, the tools beside them) are small PE images whose only real
// content is a version resource, so that version checks read them exactly as
// they would read the vendor's files.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace simhost {

enum class PeBitness { Pe32, Pe32Plus };

// A PE image (PE32+ for x64 by default, PE32 for x86) with a code section and
// a .rsrc section holding one VS_VERSIONINFO: the fixed file info with the
// given numbers and a string table (FileVersion, ProductVersion,
// OriginalFilename). The name's extension picks the kind: ".sys" a network
// driver, ".dll" a library, anything else a console program. Names are ASCII.
std::string makePeWithVersion(const platform::FileVersion& version,
                              const std::string& originalFileName,
                              PeBitness bitness = PeBitness::Pe32Plus);

// "4.0.593" or "4.0.593.12" (two to four parts, each 0-65535, missing parts
// 0) as file and product version alike. False when the text is not one.
bool parseFileVersionText(const std::string& text, platform::FileVersion* version);

// "a.b.c.d" of a packed pair, as the string table shows it.
std::string fileVersionText(uint32_t ms, uint32_t ls);

}  // namespace simhost
