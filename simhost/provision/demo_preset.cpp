#include <filesystem>

#include "simhost/provision/component_files.h"
#include "simhost/provision/demo_package.h"
#include "simhost/provision/driver_service.h"
#include "simhost/provision/provision.h"

namespace simhost {

namespace {

// The firmware of the demo's upgrade package; every demo board runs an
// older one.
constexpr const char* kPackageFirmware = "4.0.593";

}  // namespace

bool createDemoHost(const HostDir& dir, std::string* error) {
  if (!createHost(dir, error)) return false;
  struct DemoCard {
    const char* name;
    uint32_t board, subsys, ports, bus;
    uint8_t chipRevision;
    const char* firmware;
  };
  const DemoCard cards[] = {
      {"sfp26", 0x26, 0x01264040, 2, 5, 0x42, "4.0.534"},
      {"quad24", 0x24, 0x01244040, 4, 6, 0x42, "4.0.500"},
      {"mezz22", 0x22, 0x171B103C, 2, 7, 0x41, "4.0.534"},
      {"lom29", 0x29, 0x705A103C, 4, 8, 0x42, "4.0.585"},
  };
  for (const DemoCard& c : cards) {
    CardOrder order;
    order.name = c.name;
    order.board = c.board;
    order.subsys = c.subsys;
    order.ports = c.ports;
    order.bus = c.bus;
    order.chipRevision = c.chipRevision;
    order.firmware = c.firmware;
    // Each board's flash is what the older release of its product put
    // there, so that an upgrade rewrites the sectors that changed and no
    // others, and a flash self-test passes before it.
    order.imageFile = dir.tempDir() + "/" + c.name + "_romimage";
    bool added = writeSingleProductImage(order.imageFile, c.firmware, c.board, c.subsys, c.chipRevision, error) &&
                 addCard(dir, order, error);
    std::error_code ignored;
    std::filesystem::remove(order.imageFile, ignored);
    if (!added) return false;
  }
  NicOrder other;
  other.vendor = 0x8086;
  other.device = 0x10FB;
  other.connection = "Onboard Ethernet";
  other.bus = 2;
  // The adapters' driver service of the host's OS generation runs, as the
  // plug-in's dependency check wants it.
  return addNic(dir, other, error) && writeDemoPackage(dir, kPackageFirmware, error) &&
         writeComponentFiles(demoPackageDir(dir), kPackageFirmware, error) &&
         addDriverService(dir, "SVNDNIC", "system32\\DRIVERS\\svxgnd64.sys", "running", error);
}

}  // namespace simhost
