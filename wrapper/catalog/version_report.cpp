#include "wrapper/catalog/discovery_state.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/file_names.h"
#include "wrapper/state/run_state.h"
#include "wrapper/state/wrapper_version.h"
#include "wrapper/xml/xml_document.h"

namespace keelson {

VersionReportValues& versionReportValues() {
  static VersionReportValues* values = new VersionReportValues();
  return *values;
}

void writeVersionReport() {
  VersionReportValues& values = versionReportValues();
  XmlNode top = createTop("orl_rom_discovery");
  addAttribute(*top, "version", wrapperFileVersion());
  const std::pair<const char*, std::string> children[] = {
      {"type", "CORVANE_NIC"},
      {"alt_name", kUtilityName},
      {"current_version", values.currentVersion},
      {"package_version", values.packageVersion},
      {"takes_effect", values.takesEffect},
  };
  for (const auto& [name, value] : children) addAttribute(*addChild(top, name), "value", value);

  const std::string& file = runState().reportFile;
  const int error = writeFile(*top, file);
  if (error != kXmlOk) {
    WrapperLog log;
    log << "Failed to create the XML file " << file << " Error code: " << error;
    log.flush(false);
    return;
  }
  values.written = true;
  logEntry("Created an XML file with Only FW version information.!\n" + renderCompact(*top), false);
}

}  // namespace keelson
