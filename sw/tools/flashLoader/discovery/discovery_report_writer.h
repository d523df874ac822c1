// The discovery report: one device element per card with its identity, its
// PCI location, the firmware on it, the firmware the image offers and what
// to do about it. The upgrade wrapper and the update manager read it.
#pragma once

#include <string>
#include <vector>

#include "sw/tools/flashLoader/discovery/discovered_card.h"

// Writes the report. Prints "card_index=N" and a warning for each field
// left zero on standard output. 0, or -1 after "Couldn't open XML file...".
int write_discovery_report(const std::string& fileName, const std::vector<DiscoveredCard>& cards);

// "upgrade", "downgrade" or "rewrite" as the current firmware is older,
// newer or the same as the new one.
const char* discovery_action(const VersionTriple& current, const VersionTriple& offered);

// The text with &, <, > and " replaced by their entities, so that any value
// (a product name with an ampersand) keeps the report well-formed.
std::string xml_escaped(const std::string& text);
