#include "simhost/provision/demo_package.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "simhost/machine/files.h"
#include "simhost/machine/json_util.h"
#include "romimage/image_writer.h"
#include "romimage/synthetic_image.h"

namespace simhost {

namespace {

bool packedVersion(const std::string& text, uint32_t* packed, std::string* error) {
  if (parseVersionWord(text, packed)) return true;
  if (error) *error = "bad firmware version " + text;
  return false;
}

bool writeImage(const std::string& path, uint32_t version, const std::vector<burnkit::SyntheticProduct>& products,
                std::string* error) {
  const std::vector<uint8_t> image = burnkit::writeImage(burnkit::syntheticManifest(version, products));
  return writeFileAtomic(path, std::string(image.begin(), image.end()), error);
}

std::string xmlAttribute(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string hex4(uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  return text;
}

}  // namespace

std::string demoPackageDir(const HostDir& dir) { return dir.driveC() + "/package"; }

std::string nicFirmwareConfiguration(const std::string& firmware, const std::string& imageName) {
  // Ids as four upper-case hexadecimal digits: the wrapper compares them as
  // text with the ids the discovery report gives.
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  xml += "<nic_fw_package version=\"" + xmlAttribute(firmware) + "\">\n  <nic>\n";
  for (const burnkit::KnownBoard& b : burnkit::knownBoards()) {
    xml += "    <nic name=\"Corvane Z3 " + xmlAttribute(b.name) + "\" venid=\"4040\" devid=\"0100\" subvenid=\"" +
           hex4(b.product.subvendor) + "\" subdevid=\"" + hex4(b.product.subsys) + "\" rom=\"" +
           xmlAttribute(firmware) + "\" fwFile=\"" + xmlAttribute(imageName) + "\"/>\n";
  }
  xml += "  </nic>\n</nic_fw_package>\n";
  return xml;
}

bool installDemoPrograms(const HostDir& dir, const std::string& programDir, std::string* error) {
  namespace fs = std::filesystem;
  const fs::path package = demoPackageDir(dir);
  if (!makeDirectories(package.string(), error)) return false;
  // The Linux build's names, then the Windows build's: whichever are there.
  for (const char* program : {"burnkit", "burnkit_x64", "Keelson", "Brightwell.so", "burnkit.exe", "burnkit_x64.exe",
                              "Keelson.exe", "Brightwell.dll"}) {
    const fs::path from = fs::path(programDir) / program;
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) continue;
    const fs::path to = package / program;
    fs::remove(to, ec);
    // A link costs nothing where the build and the host share a file system.
    fs::create_hard_link(from, to, ec);
    if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      if (error) *error = "cannot install " + from.string() + " in " + package.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

bool writeDemoPackage(const HostDir& dir, const std::string& firmware, std::string* error) {
  uint32_t version = 0;
  if (!packedVersion(firmware, &version, error)) return false;
  const std::string package = demoPackageDir(dir);
  return makeDirectories(package, error) &&
         writeImage(package + "/quarry_romimage", version, burnkit::allKnownProducts(), error) &&
         writeFileAtomic(package + "/NICFWData.xml", nicFirmwareConfiguration(firmware, "quarry_romimage"), error);
}

bool writeSingleProductImage(const std::string& path, const std::string& firmware, uint32_t board, uint32_t subsys,
                             uint8_t chipRevision, std::string* error) {
  uint32_t version = 0;
  if (!packedVersion(firmware, &version, error)) return false;
  return writeImage(path, version, {{board, subsys >> 16, subsys & 0xFFFF, chipRevision}}, error);
}

}  // namespace simhost
