#include "simhost/provision/card_image.h"

#include <algorithm>

#include "platform/common/default_crypto.h"
#include "romimage/flash_image_builder.h"
#include "romimage/md5_table.h"

namespace simhost {

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

// The board's own parts of the flash that an upgrade keeps: MAC slots,
// serial number and the board type word.
void carryBoardData(const std::vector<uint8_t>& from, burnkit::FlashImage& to) {
  auto copy = [&](uint32_t offset, uint32_t size) { std::copy_n(from.begin() + offset, size, to.data() + offset); };
  copy(FlashLayout::kUserArea + UserArea::kMacSlots, UserArea::kMacSlotCount * UserArea::kMacSlotSize);
  copy(FlashLayout::kUserArea + UserArea::kSerialNumber, UserArea::kSerialNumberSize);
  copy(FlashLayout::kBoardTypeWord, 4);
}

std::string oneLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace

bool flashFromImage(const std::string& imageFile, const CardOrder& order, std::vector<uint8_t>* flash,
                    std::string* error) {
  auto fail = [&](const std::string& text) {
    if (error) *error = "--image " + imageFile + ": " + text;
    return false;
  };
  std::string reason;
  std::unique_ptr<burnkit::FileImageSource> source = burnkit::FileImageSource::open(imageFile, &reason);
  if (!source) return fail(reason);

  burnkit::MessageLog log;
  burnkit::FlashImage picture;
  if (burnkit::findProductAndBuild(*source, log, picture, order.subsys >> 16, order.subsys & 0xFFFF, order.chipRevision,
                                   order.board) != 0)
    return fail(oneLine(log.lines()));

  carryBoardData(*flash, picture);
  std::unique_ptr<platform::Crypto> crypto = platform::makeDefaultCrypto();
  if (burnkit::computeMd5Table(picture, *crypto, log) != 0) return fail(oneLine(log.lines()));
  flash->assign(picture.bytes().begin(), picture.bytes().end());
  return true;
}

}  // namespace simhost
