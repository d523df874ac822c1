// Reading a discovery report back, as the upgrade wrapper may have edited
// it: which cards (named by a MAC address) are to be upgraded.
#pragma once

#include <string>
#include <vector>

inline constexpr size_t kSelectionMax = 256;
inline constexpr size_t kSelectionMacTextMax = 127;

// For every device element whose action says "upgrade", "downgrade" or
// "rewrite", the text of its macaddress value, in report order (at most
// kSelectionMax, each cut to kSelectionMacTextMax characters). Only the
// macaddress and action lines are read; a device without either before its
// end tag (or the end of the file) is not selected. 0; -1 when the file
// cannot be opened (after the "Please Create" line and the reason).
int read_discovery_report(const std::string& fileName, std::vector<std::string>* selection);
