#include "wrapper/catalog/configuration.h"

#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/file_names.h"
#include "wrapper/xml/xml_document.h"

namespace keelson {

namespace {

constexpr size_t kMostVersionDigits = 3;  // minor and build parts

// A part of a version: its leading decimal digits (none: 0). False when
// there are more digits than the part holds.
bool versionPart(const std::string& part, size_t mostDigits, uint32_t* value) {
  size_t digits = 0;
  uint32_t number = 0;
  while (digits < part.size() && part[digits] >= '0' && part[digits] <= '9') {
    if (digits == mostDigits) return false;
    number = number * 10 + static_cast<uint32_t>(part[digits] - '0');
    ++digits;
  }
  *value = number;
  return true;
}

// A text from a file as a log line quotes it: long texts cut.
std::string quoted(const std::string& text) {
  constexpr size_t kMost = 64;
  return text.size() <= kMost ? text : text.substr(0, kMost) + "...";
}

std::string zeroPadded(const std::string& id) { return id.size() >= 4 ? id : std::string(4 - id.size(), '0') + id; }

void addEntry(const XmlElement& nic) {
  FirmwareEntry entry;
  entry.name = attributeText(nic, "name");
  entry.venid = attributeText(nic, "venid");
  entry.devid = attributeText(nic, "devid");
  entry.subvenid = attributeText(nic, "subvenid");
  entry.subdevid = attributeText(nic, "subdevid");
  entry.rom = attributeText(nic, "rom");
  entry.fwFile = attributeText(nic, "fwFile");
  const std::string key = catalogKey(entry.venid, entry.devid, entry.subvenid, entry.subdevid);
  if (!parseRomVersion(entry.rom, &entry.romVersion)) {
    logEntry("Warning!!! - Invalid firmware version (rom) value '" + quoted(entry.rom) + "' for the NIC with PCI Id " +
                 quoted(key) + ", entry ignored.",
             false);
    return;
  }
  firmwareCatalog()[key] = entry;  // a later entry with the same ids wins
}

}  // namespace

std::string catalogKey(const std::string& venid, const std::string& devid, const std::string& subvenid,
                       const std::string& subdevid) {
  return zeroPadded(venid) + "-" + zeroPadded(devid) + "-" + zeroPadded(subvenid) + "-" + zeroPadded(subdevid);
}

bool parseRomVersion(const std::string& text, VersionTriple* version) {
  const size_t dot = text.find('.');
  if (dot == std::string::npos || dot == 0) return false;
  // The major part is the one character before the first '.'.
  const std::string major = text.substr(dot - 1, 1);
  const std::string rest = text.substr(dot + 1);
  const size_t second = rest.find('.');
  if (second == std::string::npos) return false;
  const std::string minor = rest.substr(0, second);
  std::string build = rest.substr(second + 1);
  build = build.substr(0, build.find('.'));  // a fourth part is ignored
  VersionTriple v;
  if (!versionPart(major, 1, &v.major) || !versionPart(minor, kMostVersionDigits, &v.minor) ||
      !versionPart(build, kMostVersionDigits, &v.build)) {
    return false;
  }
  *version = v;
  return true;
}

void loadConfiguration() {
  XmlParseResult result;
  XmlNode root = parseFile(kConfigurationFile, "nic_fw_package", &result);
  if (result.error != kXmlOk) {
    WrapperLog log;
    log << "\n\nLoading configuration file " << kConfigurationFile << " Error code: " << result.error;
    if (result.error == kXmlCannotOpen) {
      log << "\nFile Not found!- Please make sure " << kFlashTool << " and " << kFlashTool64
          << " are present in the same directory where " << kWrapperProgram << " is available.";
    }
    log.flush(false);
    return;
  }
  for (size_t i = 0; i < childCount(*root); ++i) {
    XmlNode group = child(*root, i);
    if (group->name != "nic") continue;
    for (size_t j = 0; j < childCount(*group); ++j) {
      XmlNode nic = child(*group, j);
      if (nic->name == "nic") addEntry(*nic);
    }
  }
}

}  // namespace keelson
