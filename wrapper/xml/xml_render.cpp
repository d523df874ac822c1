// Compact rendering and writing of a tree.
#include <cstdio>

#include "wrapper/xml/xml_document.h"

namespace keelson {

namespace {

void appendEscaped(std::string& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
}

void render(std::string& out, const XmlElement& element) {
  out += '<';
  if (element.declaration) out += '?';
  out += element.name;
  for (const auto& [name, value] : element.attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    appendEscaped(out, value);
    out += '"';
  }
  if (element.declaration) {
    out += "?>";
    return;
  }
  if (element.content.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  for (const XmlContent& c : element.content) {
    switch (c.kind) {
      case XmlContent::Kind::Element:
        render(out, *c.element);
        break;
      case XmlContent::Kind::Text:
        appendEscaped(out, c.text);
        break;
      case XmlContent::Kind::Other:
        out += c.text;
        break;
    }
  }
  out += "</";
  out += element.name;
  out += '>';
}

}  // namespace

std::string renderCompact(const XmlElement& element) {
  std::string out;
  render(out, element);
  return out;
}

int writeFile(const XmlElement& top, const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) return kXmlCannotCreate;
  std::string text = "\xEF\xBB\xBF";
  if (!top.declaration) text += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  text += renderCompact(top);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? kXmlOk : kXmlCannotWrite;
}

}  // namespace keelson
