#include "simhost/provision/component_files.h"

#include <cstdio>

#include "simhost/machine/files.h"
#include "romimage/synthetic_image.h"

namespace simhost {

namespace {

std::string hex4(uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  return text;
}

constexpr char kInstallerFile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<kst_install>\n"
    "  <inf_information>\n"
    "    <inf_file filename=\"svxgnd64.inf\" type=\"PNP\" section=\"Install\" service_name=\"SVNDNIC\"/>\n"
    "  </inf_information>\n"
    "</kst_install>\n";

}  // namespace

std::string componentPackageDefinition(const std::string& firmware) {
  // Element texts start without white space: the framework's reader keeps
  // no text that starts with it.
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<kst_package>\n"
      "  <name>\n"
      "    <name_xlate lang=\"en\">Corvane Z3 Adapter Firmware</name_xlate>\n"
      "    <name_xlate lang=\"de\">Corvane Z3 Adapter-Firmware</name_xlate>\n"
      "    <name_xlate lang=\"ja\">Corvane Z3 アダプタ ファームウェア</name_xlate>\n"
      "  </name>\n"
      "  <description>\n"
      "    <description_xlate lang=\"en\"><![CDATA[Online firmware upgrade for Corvane Z3 10 Gigabit and quad-port "
      "Gigabit server adapters.]]></description_xlate>\n"
      "  </description>\n"
      "  <version value=\"" + firmware + "\"/>\n"
      "  <filename>ksz3fw.exe</filename>\n"
      "  <installation>\n"
      "    <install>\n"
      "      <install_caps silent=\"yes\"/>\n"
      "      <reboot_required value=\"yes\"/>\n"
      "    </install>\n"
      "  </installation>\n"
      "  <prerequisites>\n"
      "    <required_diskspace size_kb=\"8192\"/>\n"
      "    <supported_devices>\n";
  for (const burnkit::KnownBoard& b : burnkit::knownBoards()) {
    // One board per group: a group names one device.
    xml += "      <supported_devices_and>\n"
           "        <supported_device type=\"pci\">\n"
           "          <supported_device_data name=\"ven\">4040</supported_device_data>\n"
           "          <supported_device_data name=\"dev\">0100</supported_device_data>\n"
           "          <supported_device_data name=\"subven\">" + hex4(b.product.subvendor) +
           "</supported_device_data>\n"
           "          <supported_device_data name=\"subdev\">" + hex4(b.product.subsys) +
           "</supported_device_data>\n"
           "        </supported_device>\n"
           "      </supported_devices_and>\n";
  }
  xml +=
      "    </supported_devices>\n"
      "  </prerequisites>\n"
      "</kst_package>\n";
  return xml;
}

bool writeComponentFiles(const std::string& directory, const std::string& firmware, std::string* error) {
  return writeFileAtomic(directory + "/" + kComponentPackageFile, componentPackageDefinition(firmware), error) &&
         writeFileAtomic(directory + "/install.xml", kInstallerFile, error);
}

}  // namespace simhost
