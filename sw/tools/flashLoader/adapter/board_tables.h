// What the tool knows about the boards by their codes: board type to port
// count (BoardTypeTable), PCI subsystem word to a board name
// (SubsystemNameTable), chip revision code to its name and generation.
#pragma once

#include <array>
#include <cstdint>

struct BoardTypeRow {
  uint32_t boardType;
  uint32_t portCount;
  uint32_t generation;  // 1 for the first chip generation, 3 for Z3
  const char* name;
};

struct SubsystemNameRow {
  uint32_t subsystem;  // subsystem id << 16 | subsystem vendor id
  const char* name;
};

extern const std::array<BoardTypeRow, 18> BoardTypeTable;
extern const std::array<SubsystemNameRow, 20> SubsystemNameTable;

// The first row for the board type; nullptr when the table has none (a
// valid answer: each user picks its own default).
const BoardTypeRow* find_board_type(uint32_t boardType);
// Its port count, 0 for a board type the table does not know.
uint32_t board_port_count(uint32_t boardType);

// The board's name by its subsystem word; "Unknown" when the table has none.
const char* subsystem_board_name(uint32_t subsystem);

// "C0", "C1", "A0", "A2", "B0", "B1", "B2"; "" for any other code.
const char* chip_revision_name(uint8_t revision);

// The chip generation (nic type) a revision code belongs to: 2 or 3; 0 for
// a code that is neither.
int chip_generation(uint8_t revision);
