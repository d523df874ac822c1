// libFuzzer target for Keelson's XML layer with its encoding front: any
// configuration or discovery report, in UTF-16 or UTF-8, with or without a
// byte-order mark, must parse or be refused without a crash, a hang or a
// read outside a buffer. A tree that parses renders as a document that
// parses again (unless the platform's text test, a statistical guess as on
// Windows, takes the rendering for UTF-16: then it is not that document).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text_unicode.h"
#include "wrapper/xml/xml_document.h"

namespace {

using namespace keelson;

// Reads what the wrapper reads of a tree: names, attributes, children.
size_t walk(const XmlElement& element, size_t depth) {
  size_t seen = elementName(element).size() + attributeText(element, "value").size();
  if (depth > kXmlMaxDepth + 1) std::abort();  // deeper than the parser allows
  for (size_t i = 0; i < childCount(element); ++i) seen += walk(*child(element, i), depth + 1);
  return seen;
}

void check(const std::string& bytes, const std::string& root) {
  XmlParseResult result;
  XmlNode found = parseBytes(bytes, root, &result);
  if (!found) std::abort();
  walk(*found, 0);
  if (result.error > kXmlNoElement && childCount(*found) != 0) std::abort();
  if (result.error == kXmlOk || result.error == kXmlMissingEndTag) {
    if (found->name.empty() || found->declaration) return;
    const std::string rendered = renderCompact(*found);
    if (platform::isTextUnicode(rendered.data(), rendered.size())) return;
    XmlParseResult again;
    parseBytes(rendered, "", &again);
    if (again.error != kXmlOk) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  check(bytes, "");
  check(bytes, "orl_rom_discovery");
  check(bytes, "nic_fw_package");
  return 0;
}
