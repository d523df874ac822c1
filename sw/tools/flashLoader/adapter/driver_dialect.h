// The two dialects of the driver protocol. A driver whose vendor driver
// version is 5.2 numbers its commands differently and expects its own object
// identifier and signature; every other driver speaks the standard dialect.
#pragma once

#include <cstdint>

enum DriverDialectState : uint32_t {
  kDialectNotProbed = 0,
  kDialectStandard = 1,
  kDialectAlternate = 2,
};

// The alternate dialect's number for a standard command number; numbers it
// does not renumber pass unchanged.
uint32_t alternate_command_number(uint32_t standard);
