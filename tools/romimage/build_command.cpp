#include <stdexcept>

#include "romimage/image_writer.h"
#include "tools/romimage/command_line.h"
#include "tools/romimage/commands.h"
#include "tools/romimage/file_io.h"
#include "tools/romimage/manifest_json.h"

namespace romimage_tool {

int cmdBuild(const Args& args) {
  CommandLine cl;
  std::string error;
  if (!parseCommandLine(args, {}, &cl, &error)) return complain(2, error);
  if (cl.words.size() != 2) return complain(2, "usage: romimage build OUT MANIFEST.json");

  burnkit::ImageManifest manifest;
  if (!loadManifest(cl.words[1], &manifest, &error)) return complain(1, error);
  std::vector<uint8_t> image;
  try {
    image = burnkit::writeImage(manifest);
  } catch (const std::length_error& e) {
    return complain(1, e.what());
  }
  if (!writeBinaryFile(cl.words[0], image, &error)) return complain(1, error);
  return 0;
}

}  // namespace romimage_tool
