// Small lookups on the package reader's tree that the framework repeats.
#pragma once

#include <initializer_list>
#include <string_view>

#include "plugin/CKstXMLReader/kst_xml_node.h"

namespace brightwell {

// The text of an element: the value of its "#TEXT" first child, else empty.
std::u16string_view elementText(const CKstXMLNode* element);
// The child reached by following exact names from node, or null.
CKstXMLNode* childPath(CKstXMLNode* node, std::initializer_list<const char16_t*> names);
// The first child of that name whose attribute equals value without regard
// to case (a child without the attribute does not match), or null.
CKstXMLNode* findElement(const CKstXMLNode* parent, const char16_t* name, const char16_t* attribute,
                         std::u16string_view value);

}  // namespace brightwell
