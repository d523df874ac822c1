// libFuzzer target for the unified ROM image reader: any file handed to
// burnkit as an image must be refused or built without a crash and without a
// read outside a buffer. Each input is read twice: as it is, and with every
// digest recomputed, so that inputs get past the MD5 checks and reach the
// table geometry, product rows, sections and version trailer behind them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "romimage/flash_image_builder.h"
#include "romimage/image_writer.h"
#include "romimage/string2version.h"

namespace {

using namespace burnkit;

class DiscardMessages : public MessageSink {
 public:
  void write(MessageStream, std::string_view) override {}
};

// One picture for every input: building is what is exercised, not allocation.
FlashImage& picture() {
  static FlashImage image;
  return image;
}

void readImage(std::span<const uint8_t> bytes) {
  DiscardMessages messages;
  MemoryImageSource source(bytes);
  ImageDirectory dir;
  if (readDirectory(source, messages, &dir) != 0) return;
  for (SectionKind kind : kFlashSectionKinds) {
    SectionTable rows;
    readDataTable(dir, kind, &rows);
  }
  ProductTable products;
  StringTable strings;
  if (readProductTable(dir, &products) != 0 || readStringTable(dir, &strings) != 0) return;
  // Each build costs a pass over 4 MiB: one through the product search (the
  // first row's identity), one of the last row directly.
  if (products.empty()) return;
  const ProductRecord first = products[0];
  findProductAndBuild(source, messages, picture(), first.subsys, first.subvendor, first.chipRevision, first.boardType);
  if (products.size() > 1) buildFlashImage(dir, products[products.size() - 1], strings, picture());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  readImage(input);

  std::vector<uint8_t> sealed(input.begin(), input.end());
  resealImage(sealed);
  readImage(sealed);

  DiscardMessages messages;
  firmwareVersionFromTrailer(input, messages);
  uint32_t version = 0;
  string2version(std::string_view(reinterpret_cast<const char*>(data), size), size % 24, &version);
  return 0;
}
