#include "sw/tools/flashLoader/discovery/card_collection.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/boardconfig/mac_repair.h"
#include "sw/tools/flashLoader/runstate/tool_version.h"
#include "romimage/flash_image.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/update/image_load.h"
#include "sw/tools/flashLoader/update/image_location.h"
#include "sw/tools/flashLoader/update/version_compare.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// The firmware version the default image would put on this board: read
// from the picture built for it, as the upgrade would build it.
void collect_offered_version(const DeviceHandle& handle, DiscoveredCard* card) {
  std::string path;
  if (locate_image(kDefaultImageName, &path) != 0) {
    err_printf("Failed to locate Corvane NIC binaries\n");
    return;
  }
  burnkit::FlashImage image;
  if (load_image_for_adapter(handle, path, &image) != 0) return;
  card->newVersion = version_from_user_area_bytes(image.data() + burnkit::FlashLayout::kUserArea +
                                                  burnkit::UserArea::kFirmwareVersion);
}

}  // namespace

void collect_card_record(DiscoveredCard* card) {
  const DeviceHandle handle = adapter_handle();
  card->toolVersion = kToolVersion;
  if (read_board_type(handle, &card->boardType) != 0) card->boardType = 0;
  card->subsystem = read_subsystem_id(handle);
  card->productId = subsystem_board_name(card->subsystem);
  card->portCount = board_port_count(card->boardType);
  card->nicType = g_adapter.nicType;
  card->chipRevision = chip_revision_name(get_chip_revision(handle));

  UserAreaRecord record;
  if (read_user_area(handle, &record) != 0) {
    err_printf("Failed to get board information.\n");
  } else {
    card->serialId = record.shownSerialNumber();
    card->currentVersion = record.firmwareVersion();
    repair_extra_mac_slots(handle, card->boardType, &record);
    for (uint32_t port = 0; port < card->portCount; ++port)
      card->macs.push_back(record.mac(mac_slot_of_port(card->boardType, port)));
  }
  collect_offered_version(handle, card);
}
