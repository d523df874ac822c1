// What the tool knows about the boards by their codes: board type to port
// count (BoardTypeTable), PCI subsystem word to a board name
// (SubsystemNameTable), chip revision code to its name and generation.
#pragma once

#include <array>
#include <cstdint>

// What a board type does differently from the rest, one bit each.
enum BoardTypeTrait : uint32_t {
  kBasePxe = 1u << 0,           // one PXE word per port pair; no WOL status line
  kMacRegisters = 1u << 1,      // --info shows the MAC registers
  kSwappedFunctions = 1u << 2,  // function-mask parity runs the other way
  kMacsFromSlot16 = 1u << 3,    // the ports' MAC slots start at the extra slots
  kFillsExtraSlots = 1u << 4,   // a MAC repair fills slots 16-19 from slot 0
};

// What a board, by its subsystem word, has or lacks, one bit each.
enum SubsystemTrait : uint32_t {
  kNoWol = 1u << 0,     // no wake-up wiring
  kNcsi = 1u << 1,      // the NC-SI setting in the register table
  kVnicArea = 1u << 2,  // the vNIC property area and its commands
};

struct BoardTypeRow {
  uint32_t boardType;
  uint32_t portCount;
  uint32_t generation;  // 1 for the first chip generation, 3 for Z3
  const char* name;
  uint32_t traits;  // BoardTypeTrait bits
};

struct SubsystemNameRow {
  uint32_t subsystem;  // subsystem id << 16 | subsystem vendor id
  const char* name;
  uint32_t traits;  // SubsystemTrait bits
};

extern const std::array<BoardTypeRow, 18> BoardTypeTable;
extern const std::array<SubsystemNameRow, 20> SubsystemNameTable;

// The first row for the board type; nullptr when the table has none (a
// valid answer: each user picks its own default).
const BoardTypeRow* find_board_type(uint32_t boardType);
// Its port count, 0 for a board type the table does not know.
uint32_t board_port_count(uint32_t boardType);

// Whether the board type's row carries the trait; false for a type the
// table does not know.
bool board_type_has(uint32_t boardType, BoardTypeTrait trait);

// The board's name by its subsystem word; "Unknown" when the table has none.
const char* subsystem_board_name(uint32_t subsystem);

// Whether the subsystem's row carries the trait; false for a subsystem the
// table does not know.
bool subsystem_has(uint32_t subsystem, SubsystemTrait trait);

// "C0", "C1", "A0", "A2", "B0", "B1", "B2"; "" for any other code.
const char* chip_revision_name(uint8_t revision);

// The chip generation (nic type) a revision code belongs to: 2 or 3; 0 for
// a code that is neither.
int chip_generation(uint8_t revision);
