#include "sw/tools/flashLoader/adapter/board_tables.h"

const std::array<BoardTypeRow, 18> BoardTypeTable = {{
    {0x0F, 1, 1, "1-port 10GbE CX4 adapter", 0},
    {0x0E, 2, 1, "2-port 10GbE blade daughter card", 0},
    {0x0D, 2, 1, "2-port 10GbE multifunction blade adapter", 0},
    {0x0B, 1, 1, "1-port 10GbE SR-XFP optical adapter", 0},
    {0x0A, 4, 1, "4-port 1GbE 1000BASE-T adapter", 0},
    {0x0C, 2, 1, "2-port 1GbE adapter", 0},
    {0x21, 4, 3, "4-port 1GbE reference board", 0},
    {0x22, 2, 3, "2-port 10GbE multifunction blade mezzanine", kBasePxe | kMacRegisters},
    {0x23, 2, 3, "2-port 10GbE CX4 adapter", 0},
    {0x24, 4, 3, "4-port 1GbE server adapter", 0},
    {0x25, 2, 3, "2-port 10GbE mezzanine adapter", kSwappedFunctions},
    {0x26, 2, 3, "2-port 10GbE SFP+ server adapter", 0},
    {0x27, 2, 3, "10GBASE-T low-profile adapter", 0},
    {0x28, 2, 3, "2-port 10GbE LAN-on-motherboard", 0},
    {0x29, 4, 3, "integrated 4-port 1GbE multifunction adapter", kFillsExtraSlots},
    {0x31, 2, 3, "2-port 10GbE CX4 reference board", 0},
    {0x32, 1, 3, "1-port 10GbE XFP reference board", 0},
    {0x80, 4, 3, "integrated 4-port 1GbE with 10GbE SFP+ module", kMacsFromSlot16 | kFillsExtraSlots},
}};

const std::array<SubsystemNameRow, 20> SubsystemNameTable = {{
    {0x00014040, "Corvane 1-port 10GbE SR-XFP Optical Adapter", 0},
    {0x00024040, "Corvane 1-port 10GbE CX4 Adapter", 0},
    {0x7047103C, "Corvane 1-port 10GbE Fibre Adapter", 0},
    {0x7048103C, "Corvane 1-port 10GbE Copper Adapter", 0},
    {0x00034040, "Corvane 4-port 1GbE 1000BASE-T Adapter", 0},
    {0x170E103C, "Corvane 2-port 10GbE Blade Daughter Card", 0},
    {0x00044040, "Corvane 2-port 10GbE Multifunction Blade Adapter", 0},
    {0x171B103C, "Corvane 2-port 10GbE Multifunction Blade Mezzanine", kNoWol},
    {0x3251103C, "Corvane Integrated 4-port 1GbE with 10GbE SFP+ Module", 0},
    {0x705A103C, "Corvane Integrated 4-port 1GbE Multifunction Adapter", 0},
    {0x705B103C, "Corvane 2-port 10GbE SFP+ Server Adapter", kNcsi},
    {0x01234040, "Corvane Z3 2-port 10GbE CX4 Adapter", kNoWol},
    {0x01244040, "Corvane Z3 4-port 1GbE Server Adapter", kNoWol},
    {0x01264040, "Corvane Z3 2-port 10GbE SFP+ Server Adapter", kNoWol | kVnicArea},
    {0x01354040, "Corvane Z3 2-port 10GbE SFP+ Server Adapter, Second Variant", kNoWol | kVnicArea},
    {0x01254040, "Corvane Z3 2-port 10GbE Mezzanine Adapter", kVnicArea},
    {0x01274040, "Corvane Z3 2-port 10GBASE-T Server Adapter", 0},
    {0x896B152D, "Corvane 2-port 10GbE Server and Storage Adapter", 0},
    {0x8970152D, "Corvane 2-port 10GBASE-T Server and Storage Adapter", 0},
    {0x1740103C, "Corvane 4-port 1GbE PCI Express Server Adapter", kNoWol},
}};

const BoardTypeRow* find_board_type(uint32_t boardType) {
  for (const BoardTypeRow& row : BoardTypeTable)
    if (row.boardType == boardType) return &row;
  return nullptr;
}

uint32_t board_port_count(uint32_t boardType) {
  const BoardTypeRow* row = find_board_type(boardType);
  return row ? row->portCount : 0;
}

bool board_type_has(uint32_t boardType, BoardTypeTrait trait) {
  const BoardTypeRow* row = find_board_type(boardType);
  return row != nullptr && (row->traits & trait) != 0;
}

bool subsystem_has(uint32_t subsystem, SubsystemTrait trait) {
  for (const SubsystemNameRow& row : SubsystemNameTable)
    if (row.subsystem == subsystem) return (row.traits & trait) != 0;
  return false;
}

const char* subsystem_board_name(uint32_t subsystem) {
  for (const SubsystemNameRow& row : SubsystemNameTable)
    if (row.subsystem == subsystem) return row.name;
  return "Unknown";
}

const char* chip_revision_name(uint8_t revision) {
  switch (revision) {
    case 0x24: return "C0";
    case 0x25: return "C1";
    case 0x30: return "A0";
    case 0x32: return "A2";
    case 0x40: return "B0";
    case 0x41: return "B1";
    case 0x42: return "B2";
    default: return "";
  }
}

int chip_generation(uint8_t revision) {
  if (revision == 0x24 || revision == 0x25) return 2;
  if (revision == 0x30 || revision == 0x32 || revision >= 0x40) return 3;
  return 0;
}
