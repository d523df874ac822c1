#include "romimage/flash_image_builder.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "romimage/md5_table.h"
#include "romimage/string2version.h"

namespace burnkit {

namespace {

// The product as messages name it: "A B C".
std::string productNames(const ProductRecord& product, const StringTable& strings) {
  std::string names(strings.nameOrNull(product.nameA));
  names += ' ';
  names += strings.nameOrNull(product.nameB);
  names += ' ';
  names += strings.nameOrNull(product.nameC);
  return names;
}

// Everything in the picture that the product's MD5 table offset addresses
// (the table and the user-area fields after it) must lie inside the flash.
bool md5TableFits(uint32_t offset) { return uint64_t(offset) + FlashLayout::kUserAreaSize <= FlashLayout::kSize; }

int refuseProduct(const ImageDirectory& dir, const ProductRecord& product, const StringTable& strings) {
  const std::string names = productNames(product, strings);
  for (SectionKind kind : {SectionKind::bootld, SectionKind::firmware}) {
    if (product.section(kind).fileIndex == kNone) {
      dir.messages->out(formatText("Product [%s] has no %s section.", names.c_str(), sectionKindName(kind)));
      return 1;
    }
  }
  if (!md5TableFits(product.md5TableOffset)) {
    dir.messages->out(
        formatText("MD5 table offset 0x%x for [%s] lies outside the flash.", product.md5TableOffset, names.c_str()));
    return 1;
  }
  return 0;
}

}  // namespace

int readSection(const ImageDirectory& dir, const ProductRecord& product, const StringTable& strings, FlashImage& image,
                SectionKind kind, uint32_t* size) {
  if (size) *size = 0;
  const SectionPlacement placement = product.section(kind);
  if (placement.fileIndex == kNone) return 0;

  const char* name = sectionKindName(kind);
  SectionTable rows;
  if (!readDataTable(dir, kind, &rows)) {
    dir.messages->out(
        formatText("%s section for [%s] not found in unified image.", name, productNames(product, strings).c_str()));
    return 1;
  }
  if (placement.fileIndex >= rows.size()) {
    dir.messages->out(formatText("%s file index for [%s] is 'DNE'.", name, productNames(product, strings).c_str()));
    return 1;
  }
  const SectionEntry row = rows[placement.fileIndex];
  if (uint64_t(placement.flashOffset) + row.size > FlashLayout::kSize) {
    dir.messages->out(formatText("%s section for [%s] does not fit in the flash: 0x%x bytes at 0x%x.", name,
                                 productNames(product, strings).c_str(), row.size, placement.flashOffset));
    return 1;
  }
  std::span<uint8_t> target = image.bytes().subspan(placement.flashOffset, row.size);
  SourceRead r = dir.source->read(row.offset, target);
  if (r.status != SourceRead::ok) {
    dir.messages->err(std::string("reading section from unified rom: ") + r.reason + "\n");
    return 1;
  }
  if (md5(target) != row.digest) {
    dir.messages->out(formatText("%s section for [%s] failed MD5", name, productNames(product, strings).c_str()));
    return 1;
  }
  if (size) *size = row.size;
  return 0;
}

uint32_t firmwareVersionFromTrailer(std::span<const uint8_t> firmware, MessageSink& messages) {
  // The trailer is "REV=" and the version text, preceded by any byte but
  // "_", within the last 17 bytes. Only the firmware's own bytes are looked
  // at, however short the file.
  const std::string_view text(reinterpret_cast<const char*>(firmware.data()), firmware.size());
  const int64_t end = static_cast<int64_t>(firmware.size());
  for (int p = 0; p < 16; ++p) {
    const int64_t at = end - 17 + p;
    if (at < 0 || at + 5 > end) continue;
    if (text[at] == '_' || text.compare(at + 1, 4, "REV=") != 0) continue;
    uint32_t version = 0;
    if (string2version(text.substr(at + 5), 16 - p, &version) != 0) {
      messages.out("string2version failure");
      return 0;
    }
    return version;
  }
  return 0;
}

int buildFlashImage(const ImageDirectory& dir, const ProductRecord& product, const StringTable& strings,
                    FlashImage& image) {
  if (refuseProduct(dir, product, strings) != 0) return 1;

  image.erase();
  uint32_t bootSize = 0, firmwareSize = 0;
  int failed = 0;
  for (SectionKind kind : kFlashSectionKinds) {
    uint32_t size = 0;
    failed |= readSection(dir, product, strings, image, kind, &size);
    if (kind == SectionKind::bootld) bootSize = size;
    if (kind == SectionKind::firmware) firmwareSize = size;
  }
  if (failed) return 1;

  std::copy_n(image.sector(0).begin(), FlashLayout::kSectorSize, image.data() + FlashLayout::kCrbinitBackup);

  const uint32_t table = product.md5TableOffset;
  const uint32_t tableSector = FlashLayout::sectorOf(table);
  for (uint32_t sector = 0; sector < FlashLayout::kSectorCount; ++sector) {
    std::span<uint8_t, 16> slot(image.data() + table + UserArea::kMd5SlotSize * sector, 16);
    if (sector == tableSector)
      std::fill(slot.begin(), slot.end(), 0);
    else
      storeSlotDigest(slot, md5(image.sector(sector)));
  }

  image.setWord(table + UserArea::kBootLoaderSize, bootSize);
  image.setWord(table + UserArea::kFirmwareSize, firmwareSize);
  const uint32_t firmwareAt = product.section(SectionKind::firmware).flashOffset;
  const uint32_t firmwareVersion =
      firmwareVersionFromTrailer(image.bytes().subspan(firmwareAt, firmwareSize), *dir.messages);
  image.setWord(table + UserArea::kFirmwareVersion, versionToUserAreaWord(firmwareVersion));
  image.setWord(table + UserArea::kProductWord, product.productWord);
  const uint32_t format = dir.header.formatVersion;
  if (format >= kFormatPxeEnable) image.setWord(table + UserArea::kPxeEnable, product.pxeEnable);
  if (format >= kFormatProgramSubsystem && product.programSubsys != kNone && product.programSubvendor != kNone)
    image.setWord(table + UserArea::kSubsystem, product.programSubsys << 16 | product.programSubvendor);
  else
    image.setWord(table + UserArea::kSubsystem, product.subsys << 16 | product.subvendor);
  image.setWord(table + UserArea::kBiosVersion, versionToUserAreaWord(product.biosVersion));

  // The table's own sector last, its slot still zero; its digest goes to
  // slot 62.
  storeSlotDigest(
      std::span<uint8_t, 16>(image.data() + table + UserArea::kMd5SlotSize * FlashLayout::kBoardSectorNumber, 16),
      md5(image.sector(tableSector)));
  return 0;
}

int findProductAndBuild(ImageSource& source, MessageSink& messages, FlashImage& image, uint32_t subsys,
                        uint32_t subvendor, uint32_t chipRevision, uint32_t boardType) {
  ImageDirectory dir;
  if (readDirectory(source, messages, &dir) != 0) {
    messages.out("readDirectory failed.");
    return 1;
  }
  ProductTable products;
  if (readProductTable(dir, &products) != 0) {
    messages.out("readProductTable failed.");
    return 1;
  }
  StringTable strings;
  if (readStringTable(dir, &strings) != 0) {
    messages.out("readStringTable failed.");
    return 1;
  }
  for (uint32_t i = 0; i < products.size(); ++i) {
    const ProductRecord product = products[i];
    if (product.subsys == subsys && product.subvendor == subvendor && product.chipRevision == chipRevision &&
        product.boardType == boardType && product.flashable())
      return buildFlashImage(dir, product, strings, image);
  }
  messages.out(formatText("Flashable product not found : subsys=0x%04x subvend=0x%04x chiprev=0x%x brdtype=0x%x.",
                          subsys, subvendor, chipRevision, boardType));
  return 1;
}

}  // namespace burnkit
