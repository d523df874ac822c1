// Filling a discovered card's record from the adapter open in g_adapter.
#pragma once

#include "sw/tools/flashLoader/discovery/discovered_card.h"

// Board type, subsystem, name, ports, chip revision, serial, firmware on
// flash, MAC addresses (extra slots repaired first) and the firmware the
// default unified ROM image holds for this board. A part that cannot be
// read is left zero after its line; the record is still usable.
void collect_card_record(DiscoveredCard* card);
