// libFuzzer target for the plug-in's XML reader: any package, installer or
// dependency file must be read or refused without a crash, an overrun or a
// leak. Each input is parsed as it is and once more with the Shift-JIS
// encoding forced, so that inputs reach the two-byte conversion; every node
// of a tree that loaded is visited.
#include <cstddef>
#include <cstdint>

#include "plugin/CKstXMLReader/kst_xml_reader.h"

namespace {

using brightwell::CKstXMLNode;
using brightwell::CKstXMLReader;

size_t visit(const CKstXMLNode* root) {
  size_t seen = 0;
  // Iterative: a deeply nested input must not exhaust this stack either.
  const CKstXMLNode* node = root;
  while (node) {
    ++seen;
    for (size_t i = 0; i < node->AttributeCount(); ++i) seen += node->AttributeValue(i)[0] != 0;
    if (node->Value()) seen += node->Value()[0] != 0;
    if (node->FirstChild()) {
      node = node->FirstChild();
      continue;
    }
    while (node && node != root && !node->NextSibling()) node = node->Parent();
    node = node && node != root ? node->NextSibling() : nullptr;
  }
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CKstXMLReader reader;
  if (reader.LoadFromMemory(data, size) == brightwell::kXmlOk) {
    visit(reader.Root());
    reader.FindChild(nullptr, u"kst_package", u"lang", u"en");
  }
  reader.SetEncoding(u"SHIFT_JIS");
  if (reader.LoadFromMemory(data, size) == brightwell::kXmlOk) visit(reader.Root());
  return 0;
}
