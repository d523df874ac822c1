// The property answers that are the base's, and the base versions of the
// operations the component replaces.
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/xml_text.h"

namespace brightwell {

namespace {

// Copies a text that must exist and be shorter than the capacity.
int32_t copyWhole(char16_t* buffer, uint32_t capacity, const char16_t* text) {
  if (buffer == nullptr || text == nullptr || std::u16string_view(text).size() >= capacity) return 0;
  copyBounded(buffer, capacity, text);
  return 1;
}

// The "..._xlate" child for the language, else the English one.
CKstXMLNode* translation(CKstXMLNode* element, const char16_t* xlate, const char16_t* language) {
  if (element == nullptr) return nullptr;
  CKstXMLNode* found = language ? findElement(element, xlate, u"lang", language) : nullptr;
  return found ? found : findElement(element, xlate, u"lang", u"en");
}

}  // namespace

int32_t CBaseComponent::GetProperty(int32_t id, void* out, uint32_t size, intptr_t extra) {
  auto language = reinterpret_cast<const char16_t*>(extra);
  auto text = static_cast<char16_t*>(out);
  auto number = static_cast<int32_t*>(out);
  if (out == nullptr) return 0;
  switch (id) {
    case PropName: return GetName(text, size, language);
    case PropDescription: return GetDescription(text, size, language);
    case PropCurrentVersion: return GetCurrentVersion(text, size);
    case PropVersion: return GetVersion(text, size);
    case PropInstallState: return GetInstallState(static_cast<InstallStateRecord*>(out), size, language);
    case PropSilentInstall: *number = IsSilentCapable(); return 1;
    case PropSilentInstall2: *number = IsSilentCapable2(); return 1;
    case PropConstantOne: *number = QueryConstantOne(); return 1;
    case PropLogger: AdoptLogger(static_cast<CCmpLog*>(out)); return 1;
    default: return 0;
  }
}

int32_t CBaseComponent::GetName(char16_t* buffer, uint32_t capacity, const char16_t* language) {
  CKstXMLNode* package = packageElement();
  CKstXMLNode* xlate = translation(package ? package->FindChild(u"name") : nullptr, u"name_xlate", language);
  if (xlate == nullptr || elementText(xlate).empty()) return 0;
  return copyWhole(buffer, capacity, std::u16string(elementText(xlate)).c_str());
}

int32_t CBaseComponent::GetDescription(char16_t* buffer, uint32_t capacity, const char16_t* language) {
  CKstXMLNode* package = packageElement();
  CKstXMLNode* xlate =
      translation(package ? package->FindChild(u"description") : nullptr, u"description_xlate", language);
  CKstXMLNode* cdata = xlate ? xlate->FindChild(u"#CDATA") : nullptr;
  return cdata ? copyWhole(buffer, capacity, cdata->Value()) : 0;
}

int32_t CBaseComponent::GetVersion(char16_t* buffer, uint32_t capacity) {
  CKstXMLNode* package = packageElement();
  CKstXMLNode* version = package ? package->FindChild(u"version") : nullptr;
  const char16_t* value = version ? version->Attribute(u"value") : nullptr;
  if (value == nullptr || *value == 0) return 0;
  return copyWhole(buffer, capacity, value);
}

int32_t CBaseComponent::IsSilentCapable() { return silentCapable_; }
int32_t CBaseComponent::IsSilentCapable2() { return silentCapable_; }
int32_t CBaseComponent::QueryConstantOne() { return 1; }

// The INF-driven install variants and the shell-execute step belong to
// other components of the framework; this one installs through its wrapper,
// so the base install and its variants report failure without acting.
int32_t CBaseComponent::Install(int32_t, void*, char16_t*, int32_t, const char16_t*) { return 0; }
int32_t CBaseComponent::InstallLegacy(int32_t, char16_t*, const char16_t*) { return 0; }
int32_t CBaseComponent::InstallPnp(int32_t, char16_t*, const char16_t*) { return 0; }
int32_t CBaseComponent::InstallVirtual(int32_t, char16_t*, const char16_t*) { return 0; }

// Without the component's own knowledge: no version to show, nothing
// installed, versions equal, nothing else required.
int32_t CBaseComponent::GetCurrentVersion(char16_t*, uint32_t) { return 0; }
int32_t CBaseComponent::IsInstalled() { return 0; }
int32_t CBaseComponent::GetVersionStatus() { return 1; }
int32_t CBaseComponent::AreDependenciesMet(char16_t*, uint32_t, const char16_t*) { return 1; }

}  // namespace brightwell
