// -i, --interface: the adapter the run works with, named by its connection
// name or by its PCI location "bus:device.function".
#pragma once

#include "sw/tools/flashLoader/runstate/exit_codes.h"

// Resolves and opens the adapter. kGoOn when the run goes on (status 0, or
// report mode selected); otherwise the exit code the run ends with.
StepResult open_interface(const char* argument);

// The connection name of the Corvane port at the PCI location, put into the
// interface name (the last match wins; no match leaves the name as it is).
// kGoOn when the lookup ran; otherwise the exit code after a failure.
StepResult find_connection_at(int bus, int device, int function);
