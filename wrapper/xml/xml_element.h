// The wrapper's XML tree: elements shared by reference, each holding its
// attributes and its content (child elements, character data and raw other
// content) in document order.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace keelson {

struct XmlElement;
using XmlNode = std::shared_ptr<XmlElement>;

struct XmlContent {
  enum class Kind { Element, Text, Other };
  Kind kind = Kind::Text;
  XmlNode element;   // Element
  std::string text;  // Text (unescaped) or Other (raw: comment, CDATA section, DOCTYPE)
};

struct XmlElement {
  std::string name;  // UTF-8; empty for the unnamed top node of a parsed document
  bool declaration = false;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<XmlContent> content;
  std::vector<XmlNode> children;  // the Element entries of content, for access by index
  std::weak_ptr<XmlElement> parent;
};

// Navigation.
size_t childCount(const XmlElement& element);
XmlNode child(const XmlElement& element, size_t index);  // nullptr past the end
const std::string& elementName(const XmlElement& element);
// The first attribute whose name equals name ignoring ASCII letter case.
std::optional<std::string> attribute(const XmlElement& element, const std::string& name);
// The same, absent read as empty text.
std::string attributeText(const XmlElement& element, const std::string& name);
// Character data pieces, in order.
std::vector<std::string> texts(const XmlElement& element);

// Building.
XmlNode createTop(const std::string& name);
XmlNode addChild(const XmlNode& element, const std::string& name);
void addAttribute(XmlElement& element, const std::string& name, const std::string& value);
void addText(XmlElement& element, const std::string& text);
void addOther(XmlElement& element, const std::string& raw);

// ASCII-only letter-case-blind equality of two names.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

}  // namespace keelson
