#include "wrapper/xml/xml_element.h"

namespace keelson {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

size_t childCount(const XmlElement& element) { return element.children.size(); }

XmlNode child(const XmlElement& element, size_t index) {
  return index < element.children.size() ? element.children[index] : nullptr;
}

const std::string& elementName(const XmlElement& element) { return element.name; }

std::optional<std::string> attribute(const XmlElement& element, const std::string& name) {
  for (const auto& [key, value] : element.attributes) {
    if (sameNameIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

std::string attributeText(const XmlElement& element, const std::string& name) {
  return attribute(element, name).value_or(std::string());
}

std::vector<std::string> texts(const XmlElement& element) {
  std::vector<std::string> pieces;
  for (const XmlContent& c : element.content) {
    if (c.kind == XmlContent::Kind::Text) pieces.push_back(c.text);
  }
  return pieces;
}

XmlNode createTop(const std::string& name) {
  auto top = std::make_shared<XmlElement>();
  top->name = name;
  return top;
}

XmlNode addChild(const XmlNode& element, const std::string& name) {
  auto node = std::make_shared<XmlElement>();
  node->name = name;
  node->parent = element;
  XmlContent c;
  c.kind = XmlContent::Kind::Element;
  c.element = node;
  element->content.push_back(std::move(c));
  element->children.push_back(node);
  return node;
}

void addAttribute(XmlElement& element, const std::string& name, const std::string& value) {
  element.attributes.emplace_back(name, value);
}

void addText(XmlElement& element, const std::string& text) {
  XmlContent c;
  c.kind = XmlContent::Kind::Text;
  c.text = text;
  element.content.push_back(std::move(c));
}

void addOther(XmlElement& element, const std::string& raw) {
  XmlContent c;
  c.kind = XmlContent::Kind::Other;
  c.text = raw;
  element.content.push_back(std::move(c));
}

}  // namespace keelson
