// The system-model dependency list ("dependency.xml"): the component runs
// only on the machine models it names.
#include "platform/host.h"
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/model_match.h"
#include "plugin/Source/basecomp/xml_text.h"

namespace brightwell {

int32_t CBaseComponent::CheckDependencyList(char16_t* buffer, uint32_t capacity, const char16_t*) {
  bool passed = true;
  CKstXMLReader reader;
  if (reader.Load(u"dependency.xml") == kXmlOk) {
    passed = false;
    CKstXMLNode* platforms =
        childPath(reader.FindChild(nullptr, u"componentdependencies"), {u"dependent_hardware", u"platforms"});
    if (platforms) {
      platform::System& system = platform::host().system();
      std::string model = system.machineModel();
      if (model.empty()) {
        log_->Log(LogTextVerbose, SeverityError, nullptr, 0, u"%s",
                  u"An error occurred initializing the COM environment.\r\n");
      } else {
        std::u16string machine = system.fromAnsi(model);
        for (CKstXMLNode* node = platforms->FirstChild(); node && !passed; node = node->NextSibling())
          passed = std::u16string_view(node->Name()) == u"platform" && node->Attribute(u"model") &&
                   modelsMatch(node->Attribute(u"model"), machine);
      }
    }
  }
  dependencyChecked_ = 1;
  dependencyResult_ = passed ? 1 : 0;
  if (passed) return 1;
  copyBounded(buffer, capacity, u"System model not supported.");
  return 0;
}

}  // namespace brightwell
