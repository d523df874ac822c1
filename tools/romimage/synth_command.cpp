#include <cstdio>

#include "romimage/image_writer.h"
#include "romimage/synthetic_image.h"
#include "tools/romimage/command_line.h"
#include "tools/romimage/commands.h"
#include "tools/romimage/file_io.h"
#include "tools/romimage/manifest_json.h"

namespace romimage_tool {

namespace {

// BOARD:SUBSYS:SUBVEN:CHIPREV, each decimal or 0x-hexadecimal.
bool parseProduct(const std::string& text, burnkit::SyntheticProduct* p) {
  uint64_t parts[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t colon = i < 3 ? text.find(':', start) : text.size();
    if (colon == std::string::npos) return false;
    const uint64_t max = i == 0 ? 0xFFFFFFFF : i == 3 ? 0xFF : 0xFFFF;
    if (!parseNumber(text.substr(start, colon - start), max, &parts[i])) return false;
    start = colon + 1;
  }
  *p = {static_cast<uint32_t>(parts[0]), static_cast<uint32_t>(parts[1]), static_cast<uint32_t>(parts[2]),
        static_cast<uint32_t>(parts[3])};
  return true;
}

}  // namespace

int cmdSynth(const Args& args) {
  CommandLine cl;
  std::string error;
  if (!parseCommandLine(args, {{"fw", "product", "sections"}, {}, {"product"}}, &cl, &error)) return complain(2, error);
  if (cl.words.size() != 1 || !cl.has("fw"))
    return complain(
        2, "usage: romimage synth OUT --fw 4.0.593 [--product BOARD:SUBSYS:SUBVEN:CHIPREV]... [--sections DIR]");

  uint32_t version = 0;
  const std::string fw = *cl.get("fw");
  if (!parseVersion(fw, &version))
    return complain(2, "--fw " + fw + ": expected major.minor.build, at most 255.255.65535");
  // The firmware's trailer holds at most 12 characters of version text.
  if (fw.size() > 12) return complain(2, "--fw " + fw + ": a firmware trailer holds at most 12 characters");

  std::vector<burnkit::SyntheticProduct> products;
  for (const std::string& text : cl.all("product")) {
    burnkit::SyntheticProduct p;
    if (!parseProduct(text, &p))
      return complain(2, "--product " + text + ": expected BOARD:SUBSYS:SUBVEN:CHIPREV, e.g. 0x26:0x0126:0x4040:0x42");
    products.push_back(p);
  }
  if (products.empty()) products = burnkit::allKnownProducts();

  const burnkit::ImageManifest manifest = burnkit::syntheticManifest(version, products);
  if (cl.has("sections") && !saveManifest(manifest, *cl.get("sections"), &error)) return complain(1, error);
  const std::vector<uint8_t> image = burnkit::writeImage(manifest);
  if (!writeBinaryFile(cl.words[0], image, &error)) return complain(1, error);
  return 0;
}

int complain(int code, const std::string& text) {
  const bool ended = !text.empty() && text.back() == '\n';
  std::fprintf(stderr, "romimage: %s%s", text.c_str(), ended ? "" : "\n");
  return code;
}

}  // namespace romimage_tool
