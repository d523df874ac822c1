#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/flash_geometry.h"
#include "simhost/devices/device_store.h"
#include "simhost/machine/json_util.h"
#include "simhost/provision/board_facts.h"
#include "simhost/provision/card_image.h"
#include "simhost/provision/host_layout.h"
#include "simhost/provision/provision.h"
#include "simhost/registry/registry_store.h"

namespace simhost {

namespace {

// User-area fields the factory writes into a new board's flash.
constexpr uint32_t kUserArea = 0x3E8000;
constexpr uint32_t kMacSlots = kUserArea + 0x418;
constexpr uint32_t kSubsystemWord = kUserArea + 0x818;
constexpr uint32_t kSerialNumber = kUserArea + 0x81C;
constexpr uint32_t kBoardTypeWord = 0x4008;
constexpr uint32_t kExtraMacSlot = 16;  // board 0x80 keeps its ports' MACs from slot 16 on

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

void putWord(std::vector<uint8_t>& flash, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) flash[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

MacAddress addToMac(MacAddress mac, uint32_t n) {
  uint64_t value = 0;
  for (uint8_t b : mac) value = value << 8 | b;
  value += n;
  for (int i = 5; i >= 0; --i, value >>= 8) mac[i] = static_cast<uint8_t>(value);
  return mac;
}

// A MAC slot holds the address with its bytes reversed, then two zero bytes.
void putMacSlot(std::vector<uint8_t>& flash, uint32_t slot, const MacAddress& mac) {
  uint32_t at = kMacSlots + 8 * slot;
  for (int i = 0; i < 6; ++i) flash[at + i] = mac[5 - i];
  flash[at + 6] = flash[at + 7] = 0;
}

std::vector<uint8_t> factoryFlash(const CardOrder& order, uint32_t firmware, const std::string& serial,
                                  const std::vector<MacAddress>& macs) {
  std::vector<uint8_t> flash(kFlashSize, kFlashErasedByte);
  putWord(flash, kBoardTypeWord, order.board);
  putWord(flash, kFlashFirmwareVersionOffset,
          (firmware >> 24) | ((firmware >> 16) & 0xFF) << 8 | (firmware & 0xFFFF) << 16);
  putWord(flash, kSubsystemWord, order.subsys);
  for (size_t i = 0; i < 32; ++i) flash[kSerialNumber + i] = i < serial.size() ? serial[i] : 0;
  for (uint32_t p = 0; p < macs.size(); ++p) {
    putMacSlot(flash, p, macs[p]);
    if (order.board == 0x80) putMacSlot(flash, kExtraMacSlot + p, macs[p]);
  }
  return flash;
}

// Board 0x22 publishes its two ports' MACs in chip registers, six bytes per
// port packed back to back over 32-bit registers from 0x082021C0.
void putMacRegisters(std::map<uint32_t, uint32_t>& regs, const std::vector<MacAddress>& macs) {
  for (uint32_t p = 0; p < macs.size() && p < 2; ++p) {
    const MacAddress& m = macs[p];
    if (p % 2 == 0) {
      uint32_t base = 0x082021C0 + 6 * p;
      regs[base] = uint32_t(m[2]) << 24 | uint32_t(m[3]) << 16 | uint32_t(m[4]) << 8 | m[5];
      regs[base + 4] = (regs[base + 4] & 0xFFFF0000) | uint32_t(m[0]) << 8 | m[1];
    } else {
      uint32_t u = 0x082021BE + 6 * p, v = 0x082021C2 + 6 * p;
      regs[u] = (regs[u] & 0x0000FFFF) | uint32_t(m[4]) << 24 | uint32_t(m[5]) << 16;
      regs[v] = uint32_t(m[0]) << 24 | uint32_t(m[1]) << 16 | uint32_t(m[2]) << 8 | m[3];
    }
  }
}

bool busTaken(const DeviceTable& devices, uint32_t bus) {
  const std::string prefix = "PCI bus " + std::to_string(bus) + ",";
  for (const DeviceRecord& d : devices.devices)
    if (d.location.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

bool validName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  return true;
}

bool isZ3Revision(uint8_t rev) { return rev == 0x30 || rev == 0x32 || rev >= 0x40; }

std::string instanceIdOf(const CardOrder& order, uint32_t function) {
  char text[160];
  std::snprintf(text, sizeof text, "PCI\\VEN_4040&DEV_0100&SUBSYS_%08X&REV_%02X\\4&%08X&0&%02X%02X",
                order.subsys, order.chipRevision, static_cast<unsigned>(stableHash(order.name) & 0xFFFFFFFF),
                order.device * 8 + function, 0);
  return text;
}

DeviceRecord portDevice(const CardOrder& order, uint32_t port, const std::string& guid,
                        const std::string& driverKey) {
  char subsysId[80];
  std::snprintf(subsysId, sizeof subsysId, "PCI\\VEN_4040&DEV_0100&SUBSYS_%08X", order.subsys);
  DeviceRecord d;
  d.instanceId = instanceIdOf(order, port);
  d.classGuid = kNetClassGuid;
  d.enumerator = "PCI";
  d.hardwareIds = {d.instanceId.substr(0, d.instanceId.find('\\', 4)), subsysId,
                   "PCI\\VEN_4040&DEV_0100&CC_020000", "PCI\\VEN_4040&DEV_0100&CC_0200"};
  d.driverKey = driverKey;
  d.location = locationText(order.bus, order.device, port);
  d.description = boardDescription(order.board);
  d.card = order.name;
  d.port = static_cast<int>(port);
  d.guid = guid;
  return d;
}

}  // namespace

bool parseMacAddress(const std::string& text, MacAddress* mac) {
  unsigned b[6];
  char tail;
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5],
                  &tail) != 6 &&
      std::sscanf(text.c_str(), "%2x-%2x-%2x-%2x-%2x-%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5],
                  &tail) != 6)
    return false;
  for (int i = 0; i < 6; ++i) (*mac)[i] = static_cast<uint8_t>(b[i]);
  return true;
}

bool addCard(const HostDir& dir, const CardOrder& order, std::string* error) {
  if (!validName(order.name)) return fail(error, "card name must be 1-64 letters, digits, '-' or '_'");
  if (order.ports < 1 || order.ports > kMaxCardPorts)
    return fail(error, "a card has 1 to " + std::to_string(kMaxCardPorts) + " ports");
  if (order.bus > 255 || order.device > 31) return fail(error, "bus must be 0-255 and device 0-31");
  if (std::filesystem::exists(dir.cardDir(order.name))) return fail(error, "card " + order.name + " already exists");
  uint32_t driver, firmware;
  if (!parseVersionWord(order.driver, &driver)) return fail(error, "bad driver version " + order.driver);
  if (!parseVersionWord(order.firmware, &firmware)) return fail(error, "bad firmware version " + order.firmware);
  if (order.dialect != "standard" && order.dialect != "alternate")
    return fail(error, "dialect must be standard or alternate");
  std::string serial = order.serial.value_or("CV" + std::to_string(10000000 + stableHash(order.name) % 90000000));
  if (serial.size() > 32) return fail(error, "a serial number has at most 32 characters");

  DeviceStore devices(dir);
  DeviceTable table;
  if (!devices.load(&table, error)) return false;
  if (busTaken(table, order.bus)) return fail(error, "PCI bus " + std::to_string(order.bus) + " is taken");

  MacAddress base = order.mac.value_or(MacAddress{0x02, 0xC0, 0x4A, static_cast<uint8_t>(stableHash(order.name)),
                                                  static_cast<uint8_t>(stableHash(order.name) >> 8), 0x10});
  std::vector<MacAddress> macs;
  for (uint32_t p = 0; p < order.ports; ++p) macs.push_back(addToMac(base, p));

  CardConfig config;
  config.name = order.name;
  config.board = order.board;
  config.boardTypeRegister = order.board;
  config.subsys = order.subsys;
  config.chipRevision = order.chipRevision;
  config.efuse = order.efuse.value_or(isZ3Revision(order.chipRevision) ? stableHash(order.name + "#efuse") : 0);
  config.driverVersion = driver;
  config.dialect = order.dialect == "alternate" ? DriverDialect::kAlternate : DriverDialect::kStandard;
  config.bus = order.bus;
  config.device = order.device;
  for (uint32_t p = 0; p < order.ports; ++p)
    config.ports.push_back({p, p, stableGuid(order.name + "#port" + std::to_string(p))});
  if (!validateCardConfig(config, error)) return false;

  std::map<uint32_t, uint32_t> registers{{0x08202188, 0}};
  if (order.board == 0x22) putMacRegisters(registers, macs);
  std::vector<uint8_t> flash = factoryFlash(order, firmware, serial, macs);
  // From an image, the firmware and everything else is the image's; only
  // the board's own data comes from the factory flash.
  if (!order.imageFile.empty() && !flashFromImage(order.imageFile, order, &flash, error)) return false;
  if (!Card::create(dir.cardDir(order.name), config, registers, flash, error)) return false;
  // From here on a failure takes the card away again, so that no half-made
  // card is left behind.
  auto undo = [&](bool ok) {
    if (!ok) std::filesystem::remove_all(dir.cardDir(order.name));
    return ok;
  };

  std::vector<DeviceRecord> records;
  bool registered = RegistryStore(dir).update(
      [&](RegistryTree& tree) {
        for (const CardPortConfig& port : config.ports) {
          NetFunctionRegistration f;
          f.guid = port.guid;
          f.connection = nextConnectionName(tree);
          f.instanceId = instanceIdOf(order, port.function);
          f.description = boardDescription(order.board);
          f.provider = "Corvane";
          f.matchingDeviceId = "pci\\ven_4040&dev_0100";
          f.driverVersion = order.driver + ".0";
          records.push_back(portDevice(order, port.port, port.guid, registerNetFunction(tree, f)));
        }
        return true;
      },
      error);
  if (!registered) return undo(false);
  return undo(devices.update(
      [&](DeviceTable& t) {
        t.devices.insert(t.devices.end(), records.begin(), records.end());
        return true;
      },
      error));
}

bool addNic(const HostDir& dir, const NicOrder& order, std::string* error) {
  if (order.vendor > 0xFFFF || order.device > 0xFFFF) return fail(error, "vendor and device are 16-bit ids");
  if (order.connection.empty()) return fail(error, "an adapter needs a connection name");
  DeviceStore devices(dir);
  DeviceTable table;
  if (!devices.load(&table, error)) return false;
  uint32_t bus = order.bus.value_or(1);
  if (!order.bus) {
    while (busTaken(table, bus)) ++bus;
  } else if (busTaken(table, bus)) {
    return fail(error, "PCI bus " + std::to_string(bus) + " is taken");
  }
  if (bus > 255) return fail(error, "no free PCI bus");

  char ids[96];
  std::snprintf(ids, sizeof ids, "PCI\\VEN_%04X&DEV_%04X", order.vendor, order.device);
  std::string seed = std::string(ids) + "#" + order.connection;
  DeviceRecord d;
  char instance[160];
  std::snprintf(instance, sizeof instance, "%s&SUBSYS_00000000&REV_01\\4&%08X&0&0000", ids,
                static_cast<unsigned>(stableHash(seed) & 0xFFFFFFFF));
  d.instanceId = instance;
  d.classGuid = kNetClassGuid;
  d.enumerator = "PCI";
  d.hardwareIds = {std::string(ids) + "&SUBSYS_00000000&REV_01", ids};
  d.location = locationText(bus, 0, 0);
  d.description = "Ethernet Server Adapter";
  d.guid = stableGuid(seed);

  bool registered = RegistryStore(dir).update(
      [&](RegistryTree& tree) {
        if (connectionNameTaken(tree, order.connection)) {
          if (error) *error = "connection name \"" + order.connection + "\" is taken";
          return false;
        }
        char matching[64];
        std::snprintf(matching, sizeof matching, "pci\\ven_%04x&dev_%04x", order.vendor, order.device);
        d.driverKey = registerNetFunction(
            tree, {d.guid, order.connection, d.instanceId, d.description, "Other Maker", matching, "1.0.0.0"});
        return true;
      },
      error);
  if (!registered || d.driverKey.empty()) return false;
  return devices.update(
      [&](DeviceTable& t) {
        t.devices.push_back(d);
        return true;
      },
      error);
}

}  // namespace simhost
