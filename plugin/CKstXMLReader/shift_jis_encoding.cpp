#include "plugin/CKstXMLReader/shift_jis_encoding.h"

#include "platform/multibyte.h"

namespace brightwell {

namespace {

int XMLCALL convertPair(void*, const char* s) {
  return platform::shiftJisPairToUnicode(static_cast<unsigned char>(s[0]), static_cast<unsigned char>(s[1]));
}

bool isShiftJisName(const XML_Char* name) {
  const char expected[] = "shift_jis";
  size_t i = 0;
  for (; name && name[i] && expected[i]; ++i) {
    XML_Char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<XML_Char>(c + 32);
    if (c != static_cast<XML_Char>(expected[i])) return false;
  }
  return name && name[i] == 0 && expected[i] == 0;
}

}  // namespace

int shiftJisByteMap(unsigned char byte) {
  if (byte <= 0x08 || (byte >= 0x10 && byte <= 0x1F) || byte == 0xFF) return -1;
  if (byte <= 0x7F) return byte;
  if (byte <= 0x9F || byte >= 0xE0) return -2;
  return 0xFF60 + (byte - 0xA0);  // half-width katakana block
}

int XMLCALL shiftJisEncodingHandler(void*, const XML_Char* name, XML_Encoding* info) {
  if (!isShiftJisName(name)) return XML_STATUS_ERROR;
  for (int b = 0; b < 256; ++b) info->map[b] = shiftJisByteMap(static_cast<unsigned char>(b));
  info->data = nullptr;
  info->convert = convertPair;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace brightwell
