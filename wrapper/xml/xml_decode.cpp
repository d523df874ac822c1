// The encoding front of the XML layer: files come as UTF-16 (with or without
// a byte-order mark) or UTF-8 (with or without one); the parser gets UTF-8.
#include <string>

#include "platform/common/codepage.h"
#include "platform/text_unicode.h"
#include "wrapper/xml/xml_document.h"

namespace keelson {

int decodeDocumentText(const std::string& bytes, std::string* utf8) {
  utf8->clear();
  if (platform::isTextUnicode(bytes.data(), bytes.size())) {
    size_t start = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
      start = 2;
    }
    // A byte left over is half a character: the text cannot be converted.
    if ((bytes.size() - start) % 2 != 0) return kXmlBadEncoding;
    std::u16string wide;
    wide.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
      wide.push_back(
          static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    *utf8 = platform::toCodePage(wide, platform::kCodePageUtf8);
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    *utf8 = bytes.substr(3);
  } else {
    *utf8 = bytes;
  }
  // The text ends at its first NUL, as a terminated string does. Past that
  // point the parser would otherwise guess an encoding of its own: bytes that
  // the text test did not take for UTF-16 ("<" followed by a zero byte) would
  // be read as UTF-16 after all, where other characters make names than in
  // the UTF-8 that the rest of the layer reads and writes.
  const size_t nul = utf8->find('\0');
  if (nul != std::string::npos) utf8->resize(nul);
  return utf8->empty() ? kXmlNothingToParse : kXmlOk;
}

}  // namespace keelson
