// The package definition file ("ks*.xml") and the installer file
// ("install.xml"): finding them and reading what the component keeps.
#include <memory>

#include "platform/files.h"
#include "platform/host.h"
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/device_ids.h"
#include "plugin/Source/basecomp/os_rules.h"
#include "plugin/Source/basecomp/xml_text.h"

namespace brightwell {

namespace {

bool isYes(const char16_t* text) { return text && equalsNoCase(text, u"yes"); }

// An environment-expanded text, or empty when it does not fit a path field.
void copyExpanded(char16_t* field, const char16_t* text) {
  if (text == nullptr) return;
  platform::System& system = platform::host().system();
  std::u16string expanded = platform::widePath(system.expandEnvironment(platform::hostText(text)));
  copyBounded(field, kPathChars, expanded.size() < kPathChars ? expanded : std::u16string());
}

int32_t installTypeOf(const char16_t* text) {
  if (text == nullptr) return -1;
  if (equalsNoCase(text, u"LEGACY")) return kInstallLegacy;
  if (equalsNoCase(text, u"PNP")) return kInstallPnp;
  if (equalsNoCase(text, u"VIRTUAL")) return kInstallVirtual;
  return -1;
}

}  // namespace

int32_t CBaseComponent::FindPackageFile(char16_t* buffer, uint32_t capacity) {
  std::vector<std::string> names;
  if (platform::findFiles("", "ks*.xml", &names) != platform::kErrorSuccess) return 0;
  for (const std::string& name : names) {
    std::u16string wideName = platform::widePath(name);
    CKstXMLReader reader;
    if (reader.Load(wideName.c_str()) != kXmlOk || reader.FindChild(nullptr, u"kst_package") == nullptr) continue;
    copyBounded(buffer, capacity, wideName);
    return 1;
  }
  return 0;
}

CKstXMLNode* CBaseComponent::packageElement() const {
  return packageReader_ ? packageReader_->FindChild(nullptr, u"kst_package") : nullptr;
}

int32_t CBaseComponent::ReadPackageFile(const char16_t* path) {
  if (path == nullptr) return kXmlCannotRead;
  if (packageReader_) return 1;
  packageReader_ = new CKstXMLReader;
  int result = packageReader_->Load(path);
  if (result != kXmlOk) return result;
  readPackageFields();
  return 0;
}

void CBaseComponent::readPackageFields() {
  CKstXMLNode* package = packageElement();
  if (package == nullptr) return;

  if (CKstXMLNode* filename = package->FindChild(u"filename")) {
    std::u16string name(elementText(filename).substr(0, kPackageBaseNameChars - 1));
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    copyBounded(packageBaseName_, kPackageBaseNameChars, name);
  }

  if (CKstXMLNode* install = childPath(package, {u"installation", u"install"})) {
    if (CKstXMLNode* caps = install->FindChild(u"install_caps"); caps && caps->Attribute(u"silent"))
      SetSilentCapable(isYes(caps->Attribute(u"silent")) ? 1 : 0);
    if (CKstXMLNode* reboot = install->FindChild(u"reboot_required"); reboot && reboot->Attribute(u"value"))
      SetRebootRequired(isYes(reboot->Attribute(u"value")) ? 1 : 0);
  }

  CKstXMLNode* prerequisites = package->FindChild(u"prerequisites");
  if (prerequisites == nullptr) return;
  if (CKstXMLNode* disk = prerequisites->FindChild(u"required_diskspace"); disk && disk->Attribute(u"size_kb"))
    SetRequiredDiskSpace(decimalOf(disk->Attribute(u"size_kb")));
  if (CKstXMLNode* devices = prerequisites->FindChild(u"supported_devices")) readSupportedDevices(devices);
  if (CKstXMLNode* systems = prerequisites->FindChild(u"supported_operating_systems")) readSupportedSystems(systems);
}

void CBaseComponent::readSupportedDevices(CKstXMLNode* supportedDevices) {
  for (CKstXMLNode* group = supportedDevices->FirstChild(); group; group = group->NextSibling()) {
    if (std::u16string_view(group->Name()) != u"supported_devices_and") continue;
    CKstXMLNode* device = group->FindChild(u"supported_device");
    if (device == nullptr || device->Attribute(u"type") == nullptr) continue;
    std::u16string_view type = device->Attribute(u"type");
    if (equalsNoCase(type, u"pci")) {
      std::u16string hex;
      for (const char16_t* part : {u"ven", u"dev", u"subven", u"subdev"})
        hex += elementText(findElement(device, u"supported_device_data", u"name", part));
      AddSupportedDevice(identifierFromHex(hex).c_str());
    } else if (equalsNoCase(type, u"eisa") || equalsNoCase(type, u"pnp")) {
      CKstXMLNode* first = device->FirstChild();
      const char16_t* name = first ? first->Attribute(u"name") : nullptr;
      if (name == nullptr || std::u16string_view(name) != u"id") continue;
      std::u16string id(elementText(first));
      AddSupportedDevice(equalsNoCase(type, u"eisa") ? identifierFromHex(id).c_str() : id.c_str());
    }
  }
}

void CBaseComponent::readSupportedSystems(CKstXMLNode* supportedSystems) {
  for (CKstXMLNode* node = supportedSystems->FirstChild(); node; node = node->NextSibling()) {
    if (std::u16string_view(node->Name()) != u"supported_operating_system") continue;
    SupportedOsRecord record{};
    copyBounded(record.platform, kPlatformChars, textOf(node->Attribute(u"platform")));
    auto number = [&](const char16_t* attribute) {
      const char16_t* text = node->Attribute(attribute);
      return text ? decimalOf(text) : -1;
    };
    record.major = number(u"major");
    record.minor = number(u"minor");
    record.minimumServicePack = number(u"sr");
    const char16_t* edition = node->Attribute(u"edition");
    record.editionMask = edition ? editionMaskOf(edition) : 0xFFFF;
    AddSupportedOS(record);
  }
}

int32_t CBaseComponent::ReadInstallerFile(const char16_t* path) {
  if (path == nullptr) return kXmlCannotRead;
  CKstXMLReader reader;
  int result = reader.Load(path);
  if (result != kXmlOk) return result;
  CKstXMLNode* install = reader.FindChild(nullptr, u"kst_install");
  if (install == nullptr) return 0;

  if (CKstXMLNode* information = install->FindChild(u"inf_information")) {
    uint32_t major = platform::host().system().osVersion().major;
    const char16_t* element = major == 4 ? u"inf_file_nt4" : major == 5 ? u"inf_file_nt5" : u"inf_file";
    CKstXMLNode* inf = information->FindChild(element);
    if (inf == nullptr) inf = information->FindChild(u"inf_file");
    if (inf) {
      std::u16string filename(textOf(inf->Attribute(u"filename")));
      SetInfFile(filename.c_str(), installTypeOf(inf->Attribute(u"type")));
      infSection_ = std::u16string(textOf(inf->Attribute(u"section")));
      serviceName_ = std::u16string(textOf(inf->Attribute(u"service_name")));
    }
  }
  if (CKstXMLNode* shell = childPath(install, {u"ShellExecute", u"ShellExecute_Info"})) {
    copyExpanded(shellExecuteFile_, shell->Attribute(u"file"));
    copyExpanded(shellExecuteDirectory_, shell->Attribute(u"DefaultDir"));
  }
  return 0;
}

void CBaseComponent::SetSilentCapable(int32_t capable) { silentCapable_ = capable; }
void CBaseComponent::SetRequiredDiskSpace(int32_t kilobytes) { requiredDiskSpace_ = kilobytes; }
void CBaseComponent::SetRebootRequired(int32_t required) { rebootRequired_ = required; }
// The component's version comes from the wrapper, never from a file.
void CBaseComponent::SetVersionFile(const char16_t*) {}
void CBaseComponent::SetInfFile(const char16_t* path, int32_t type) {
  infFile_ = std::u16string(textOf(path));
  installType_ = type;
}
void CBaseComponent::AddSupportedDevice(const char16_t* identifier) {
  supportedDevices_.emplace_back(std::u16string(textOf(identifier)));
}
void CBaseComponent::AddSupportedOS(const SupportedOsRecord& record) { supportedSystems_.push_back(record); }
const char16_t* CBaseComponent::GetInfFile() { return infFile_.c_str(); }

}  // namespace brightwell
