#include "sw/tools/flashLoader/boardconfig/board_report.h"

#include <algorithm>
#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/flash_update_notice.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/boardconfig/hardware_flags.h"
#include "sw/tools/flashLoader/boardconfig/mac_repair.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::UserArea;

// Board 0x22 publishes its ports' addresses in chip registers, six bytes per
// port packed over 32-bit registers.
constexpr uint32_t kEvenPortMacLow = 0x082021C0;
constexpr uint32_t kEvenPortMacHigh = 0x082021C4;
constexpr uint32_t kOddPortMacLow = 0x082021BE;
constexpr uint32_t kOddPortMacHigh = 0x082021C2;

struct BoardFacts {
  uint32_t boardType = 0;
  uint32_t subsystem = 0;
  uint32_t portCount = 0;
};

BoardFacts read_board_facts(const DeviceHandle& handle) {
  BoardFacts facts;
  if (read_board_type(handle, &facts.boardType) != 0) facts.boardType = 0;
  facts.subsystem = read_subsystem_id(handle);
  facts.portCount = board_port_count(facts.boardType);
  return facts;
}

uint8_t byte_of(uint32_t value, int shift) { return static_cast<uint8_t>(value >> shift); }

// Board 0x22's MAC line: from the chip's registers, or from the flash slot
// of the port's parity when the registers hold nothing.
void print_register_mac(const DeviceHandle& handle, uint32_t port, const UserAreaRecord& record) {
  const bool even = port % 2 == 0;
  const uint32_t u = cvm_ppd_read(handle, (even ? kEvenPortMacLow : kOddPortMacLow) + 6 * port);
  const uint32_t v = cvm_ppd_read(handle, (even ? kEvenPortMacHigh : kOddPortMacHigh) + 6 * port);
  if (u == 0xFFFFFFFF || v == 0xFFFFFFFF) {
    out_printf("MAC Addr                   : ");
    print_mac_bytes(record.mac(even ? 0 : 1));
    out_printf("\n");
    return;
  }
  const MacAddress mac = even ? MacAddress{byte_of(v, 8), byte_of(v, 0), byte_of(u, 24), byte_of(u, 16),
                                           byte_of(u, 8), byte_of(u, 0)}
                              : MacAddress{byte_of(v, 24), byte_of(v, 16), byte_of(v, 8), byte_of(v, 0),
                                           byte_of(u, 24), byte_of(u, 16)};
  out_printf("MAC Addr                   : %02X:%02X:%02X:%02X:%02X:%02X\n", mac[0], mac[1], mac[2], mac[3], mac[4],
              mac[5]);
}

void print_version(const char* label, const VersionTriple& v) {
  out_printf("%s : %d.%d.%d\n", label, static_cast<int>(v.major), static_cast<int>(v.minor),
              static_cast<int>(v.build));
}

VersionTriple running_firmware(const DeviceHandle& handle) {
  return {cvm_ppd_read(handle, kRegRunningFirmwareMajor), cvm_ppd_read(handle, kRegRunningFirmwareMinor),
          cvm_ppd_read(handle, kRegRunningFirmwareBuild)};
}

VersionTriple driver_version(const DeviceHandle& handle) {
  const DriverVersion v = decode_driver_version(get_driver_version(handle));
  return {v.major, v.minor, v.build};
}

// The line the upgrade wrapper's hardware-flag step reads. An erased word
// was never written, although its bit 31 is set.
void print_hardware_flags(const UserAreaRecord& record) {
  const uint32_t flags = record.word(UserArea::kHardwareFlags);
  if ((flags & kHardwareFlagsWritten) && flags != kHardwareFlagsErased)
    out_printf("Hardware Flags             : set to %d\n", static_cast<int>(flags & 3));
  else
    out_printf("Hardware Flags             : uninitialized\n");
}

int user_area_or_report(const DeviceHandle& handle, UserAreaRecord* record) {
  const int read = read_user_area(handle, record);
  if (read != 0) err_printf("Failed to get board information.\n");
  return read;
}

}  // namespace

int board_report(const DeviceHandle& handle, uint32_t port) {
  const BoardFacts facts = read_board_facts(handle);
  out_printf("Board Type                 : 0x%x (%s)\n", facts.boardType, subsystem_board_name(facts.subsystem));
  const uint8_t revision = get_chip_revision(handle);
  out_printf("Board Chip Rev             : %s\n", chip_revision_name(revision));

  UserAreaRecord record;
  if (int read = user_area_or_report(handle, &record); read != 0) return read;
  out_printf("Serial Id                  : %s\n", record.shownSerialNumber().c_str());
  if (g_adapter.nicType == 3) {
    uint64_t efuse = 0;
    get_efuse_id(handle, &efuse);
  }
  print_version("Firmware version(on Flash)", record.firmwareVersion());
  print_version("Active Firmware version   ", running_firmware(handle));
  print_version("Driver version            ", driver_version(handle));
  print_version("BIOS version              ", record.biosVersion());

  repair_extra_mac_slots(handle, facts.boardType, &record);
  if (board_type_has(facts.boardType, kMacRegisters)) {
    print_register_mac(handle, port, record);
  } else if (port < facts.portCount) {
    out_printf("MAC Addr %d                 : ", static_cast<int>(port));
    print_mac_bytes(record.mac(mac_slot_of_port(facts.boardType, port)));
    out_printf("\n");
  }
  out_printf("Subsystem ID               : 0x%8.8x\n", facts.subsystem);
  print_hardware_flags(record);
  return 0;
}

int board_summary(const DeviceHandle& handle, const UserAreaRecord& record) {
  uint32_t boardType = 0;
  if (read_board_type(handle, &boardType) != 0) {
    err_printf("Cannot get boardtype\n");
    return kExitGeneralFailure;
  }
  const uint32_t subsystem = read_subsystem_id(handle);
  out_printf("Board Type       : %s\n", subsystem_board_name(subsystem));
  const VersionTriple firmware = record.firmwareVersion();
  out_printf("Firmware Version : %d.%d.%d\n", static_cast<int>(firmware.major), static_cast<int>(firmware.minor),
              static_cast<int>(firmware.build));
  for (uint32_t port = 0; port < board_port_count(boardType); ++port) {
    out_printf("MAC Address %d    : ", static_cast<int>(port));
    print_mac_bytes(record.mac(mac_slot_of_port(boardType, port)));
    out_printf("\n");
  }
  out_printf("Serial Number    : %s\n", record.serialNumber().c_str());
  return 0;
}

int get_adapter_mac_address(const DeviceHandle& handle, AdapterMacList* list) {
  const BoardFacts facts = read_board_facts(handle);
  UserAreaRecord record;
  if (int read = user_area_or_report(handle, &record); read != 0) return read;
  repair_extra_mac_slots(handle, facts.boardType, &record);
  *list = AdapterMacList{};
  for (uint32_t port = 0; port < facts.portCount && port < list->macs.size(); ++port) {
    const MacAddress mac = record.mac(mac_slot_of_port(facts.boardType, port));
    std::copy(mac.begin(), mac.end(), list->macs[port].begin());
  }
  list->count = facts.portCount;
  return 0;
}
