#include "romimage/flash_image_builder.h"
#include "tools/romimage/command_line.h"
#include "tools/romimage/commands.h"
#include "tools/romimage/file_io.h"

namespace romimage_tool {

int cmdExtract(const Args& args) {
  CommandLine cl;
  std::string error;
  if (!parseCommandLine(args, {{"product", "o"}, {}, {}}, &cl, &error)) return complain(2, error);
  uint64_t row = 0;
  if (cl.words.size() != 1 || !cl.has("product") || !cl.has("o"))
    return complain(2, "usage: romimage extract FILE --product N -o FLASH");
  if (!parseNumber(*cl.get("product"), 0xFFFFFFFF, &row))
    return complain(2, "--product " + *cl.get("product") + ": expected a product row number");

  const std::string& path = cl.words[0];
  std::string reason;
  std::unique_ptr<burnkit::FileImageSource> source = burnkit::FileImageSource::open(path, &reason);
  if (!source) return complain(1, "cannot open " + path + ": " + reason);

  // burnkit's own reading and checks, its texts shown line by line.
  burnkit::MessageLog log;
  burnkit::ImageDirectory dir;
  burnkit::ProductTable products;
  burnkit::StringTable strings;
  if (burnkit::readDirectory(*source, log, &dir) != 0 || burnkit::readProductTable(dir, &products) != 0 ||
      burnkit::readStringTable(dir, &strings) != 0)
    return complain(1, path + " cannot be read:\n" + log.lines());
  if (row >= products.size())
    return complain(
        1, path + " has " + std::to_string(products.size()) + " product rows; there is no row " + std::to_string(row));
  const burnkit::ProductRecord product = products[static_cast<uint32_t>(row)];
  if (!product.flashable())
    std::fprintf(stderr, "romimage: note: product row %llu is not marked flashable; burnkit never selects it\n",
                 static_cast<unsigned long long>(row));

  burnkit::FlashImage picture;
  if (burnkit::buildFlashImage(dir, product, strings, picture) != 0)
    return complain(1, "product row " + std::to_string(row) + " cannot be built:\n" + log.lines());
  if (!writeBinaryFile(*cl.get("o"), picture.bytes(), &error)) return complain(1, error);
  return 0;
}

}  // namespace romimage_tool
