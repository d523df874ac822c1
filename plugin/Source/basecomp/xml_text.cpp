#include "plugin/Source/basecomp/xml_text.h"

#include "plugin/CStr/cstr.h"

namespace brightwell {

std::u16string_view elementText(const CKstXMLNode* element) {
  if (element == nullptr) return {};
  const CKstXMLNode* first = element->FirstChild();
  if (first == nullptr || std::u16string_view(first->Name()) != u"#TEXT") return {};
  return textOf(first->Value());
}

CKstXMLNode* childPath(CKstXMLNode* node, std::initializer_list<const char16_t*> names) {
  for (const char16_t* name : names) {
    if (node == nullptr) return nullptr;
    node = node->FindChild(name);
  }
  return node;
}

CKstXMLNode* findElement(const CKstXMLNode* parent, const char16_t* name, const char16_t* attribute,
                         std::u16string_view value) {
  if (parent == nullptr) return nullptr;
  for (CKstXMLNode* child = parent->FirstChild(); child; child = child->NextSibling()) {
    if (std::u16string_view(child->Name()) != name) continue;
    const char16_t* actual = child->Attribute(attribute);
    if (actual && equalsNoCase(actual, value)) return child;
  }
  return nullptr;
}

}  // namespace brightwell
