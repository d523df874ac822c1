#include "wrapper/catalog/discovery.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "wrapper/catalog/configuration.h"
#include "wrapper/catalog/discovery_state.h"
#include "wrapper/catalog/text_fields.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/file_names.h"
#include "wrapper/state/run_state.h"
#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/tool_commands.h"
#include "wrapper/xml/xml_document.h"

namespace keelson {

namespace {

// The "value" of a report element.
std::string valueOf(const XmlElement& element) { return attributeText(element, "value"); }

struct DeviceFields {
  std::string name, venid, devid, subvenid, subdevid, mac, productId, bus, device, function, nicType;
  std::string activeVersion, action;
};

enum class ReadOutcome { Continue, Stop };

// The children of "fw_item". Stop when its type is not ROM.
ReadOutcome readFirmwareItem(const XmlElement& item, DeviceFields* fields) {
  for (size_t i = 0; i < childCount(item); ++i) {
    XmlNode c = child(item, i);
    if (c->name == "type") {
      const std::string type = valueOf(*c);
      if (type != "ROM") {
        logEntry("Warning!!! - firmware type is not expected!. Expected type is ROM, current value is " + type, false);
        return ReadOutcome::Stop;
      }
    } else if (c->name == "active_version") {
      fields->activeVersion = valueOf(*c);
    } else if (c->name == "action") {
      fields->action = valueOf(*c);
    }
  }
  return ReadOutcome::Continue;
}

ReadOutcome readDevice(const XmlElement& device, DeviceFields* fields) {
  for (size_t i = 0; i < childCount(device); ++i) {
    XmlNode c = child(device, i);
    const std::string& name = c->name;
    if (name == "device_id")
      fields->name = valueOf(*c);
    else if (name == "venid")
      fields->venid = valueOf(*c);
    else if (name == "devid")
      fields->devid = valueOf(*c);
    else if (name == "subvenid")
      fields->subvenid = valueOf(*c);
    else if (name == "subdevid")
      fields->subdevid = valueOf(*c);
    else if (name == "macaddress")
      fields->mac = valueOf(*c);
    else if (name == "product_id")
      fields->productId = valueOf(*c);
    else if (name == "busnumber")
      fields->bus = valueOf(*c);
    else if (name == "devicenumber")
      fields->device = valueOf(*c);
    else if (name == "funcnumber")
      fields->function = valueOf(*c);
    else if (name == "nictype") {
      fields->nicType = valueOf(*c);
      if (fields->nicType != "CVZ3") logEntry("Warning!!! - Non CVZ3 device added!!!", false);
    } else if (name == "fw_item" && readFirmwareItem(*c, fields) == ReadOutcome::Stop) {
      return ReadOutcome::Stop;
    }
  }
  return ReadOutcome::Continue;
}

uint32_t hexId(const std::string& text, const char* warning) {
  uint32_t value = 0;
  if (!parseHexId(text, &value)) logEntry(warning, false);
  return value;
}

int32_t locationNumber(const std::string& text, const char* warning) {
  int32_t value = 0;
  if (!parseDecimalNumber(text, &value)) logEntry(warning, false);
  return value;
}

// Matches one device against the catalog; true when it was added.
bool addDevice(const DeviceFields& f) {
  const uint32_t venid = hexId(f.venid, "Warning!!! - Invalid/Corrupted vendor Id (XML tag: venid) value.");
  const uint32_t devid = hexId(f.devid, "Warning!!! - Invalid/Corrupted device Id (XML tag: devid) value.");
  const uint32_t subvenid =
      hexId(f.subvenid, "Warning!!! - Invalid/Corrupted sub-vendor Id (XML tag: subvenid) value.");
  const uint32_t subdevid = hexId(f.subdevid, "Warning!!! - Invalid/Corrupted sub-device Id (XML tag: subdevid) value");
  const int32_t bus = locationNumber(f.bus, "Warning!!! - Invalid/Corrupted bus number (XML tag: busnumber) value.");
  const int32_t device =
      locationNumber(f.device, "Warning!!! - Invalid/Corrupted device number (XML tag: devicenumber) value.");
  const int32_t function =
      locationNumber(f.function, "Warning!!! - Invalid/Corrupted function number (XML tag: funcnumber) value.");

  SupportedNic nic;
  if (!f.activeVersion.empty()) {
    versionReportValues().currentVersion = f.activeVersion;
    if (!parseRomVersion(f.activeVersion, &nic.installed)) {
      logEntry("Warning!!! - Invalid/Corrupted firmware version (XML tag: active_version) value.", false);
    }
  }

  char pciId[64];
  std::snprintf(pciId, sizeof pciId, "%04X-%04X-%04X-%04X", venid, devid, subvenid, subdevid);
  const FirmwareCatalog& catalog = firmwareCatalog();
  auto entry = catalog.find(pciId);
  if (entry == catalog.end()) {
    logEntry(std::string("NIC with PCI Id ") + pciId + " is not identified as a supported Solvane Z3 NIC.", false);
    return false;
  }
  nic.name = trimmed(f.name);
  nic.location = std::to_string(bus) + ":" + std::to_string(device) + "." + std::to_string(function);
  nic.pciId = pciId;
  nic.macAddress = f.mac;
  nic.package = entry->second.romVersion;
  nic.productId = f.productId;
  nic.flags = kNicSupported;
  nic.installedText = f.activeVersion;
  nic.action = trimmed(f.action);
  versionReportValues().packageVersion = entry->second.rom;

  RunState& state = runState();
  ++state.supportedCount;
  state.adapters.push_back(nic);
  return true;
}

}  // namespace

int processDiscoveryReport(const std::string& fileName) {
  RunState& state = runState();
  if (state.discoveryDone && state.discoveryReportRead) return 0;

  XmlParseResult parsed;
  XmlNode root = parseFile(fileName, "orl_rom_discovery", &parsed);
  if (parsed.error != kXmlOk) {
    WrapperLog log;
    log << "Loading configuration file " << fileName << "Failed!. Error code: " << parsed.error;
    log.flush(false);
    return 1;
  }

  int result = 1;
  for (size_t i = 0; i < childCount(*root); ++i) {
    XmlNode c = child(*root, i);
    if (c->name == "type") {
      if (valueOf(*c) != "CORVANE_NIC") {
        logEntry("Not an expected file (" + fileName + "). Expecting type value as 'CORVANE_NIC'", false);
        return result;
      }
    } else if (c->name == "takes_effect") {
      versionReportValues().takesEffect = valueOf(*c);
    } else if (c->name == "devices") {
      for (size_t j = 0; j < childCount(*c); ++j) {
        XmlNode device = child(*c, j);
        if (device->name != "device") continue;
        DeviceFields fields;
        if (readDevice(*device, &fields) == ReadOutcome::Stop) return result;
        if (addDevice(fields)) result = 0;
      }
    }
  }
  if (state.versionReport) writeVersionReport();
  return result;
}

uint32_t discoverAdapters() {
  RunState& state = runState();
  if (state.discoveryDone && state.discoveryReportRead) return 0;
  logEntry("Started Corvane Z3 device discovery!", false);
  loadConfiguration();
  const uint32_t exitCode = do_command(discoveryCommand());
  if (exitCode == 0 && processDiscoveryReport(kDiscoveryTempFile) == 0) {
    state.discoveryDone = true;
    state.discoveryReportRead = true;
    logEntry("Corvane Z3 device discovery completed successfully.!", false);
  }
  std::error_code ec;
  if (std::filesystem::exists(kDiscoveryTempFile, ec) && std::filesystem::remove(kDiscoveryTempFile, ec) &&
      state.consoleDebug) {
    logEntry(std::string(kDiscoveryTempFile) + " is deleted!", false);
  }
  return exitCode;
}

}  // namespace keelson
