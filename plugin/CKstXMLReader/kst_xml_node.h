// One node of the package reader's tree: an element (the document root
// "#DOCROOT" too) with its attributes, or the text or CDATA of an element.
// A node owns its first child and its next sibling, so destroying a node
// destroys its subtree and the rest of its sibling chain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brightwell {

class CKstXMLNode {
 public:
  enum NodeType : int64_t { Element = 0, Text = 1 };

  CKstXMLNode(NodeType type, std::u16string name);
  CKstXMLNode(const CKstXMLNode&) = delete;
  CKstXMLNode& operator=(const CKstXMLNode&) = delete;
  virtual ~CKstXMLNode();

  CKstXMLNode* FirstChild() const { return firstChild_; }
  CKstXMLNode* NextSibling() const { return nextSibling_; }
  CKstXMLNode* Parent() const { return parent_; }
  const char16_t* Name() const { return name_.c_str(); }
  int64_t Type() const { return type_; }
  // The text of a text or CDATA node; null when it has none.
  const char16_t* Value() const { return value_ ? value_->c_str() : nullptr; }

  // The first child of that exact name along the sibling chain, or null.
  CKstXMLNode* FindChild(const char16_t* name) const;
  // The value of the first attribute of that exact name, or null.
  const char16_t* Attribute(const char16_t* name) const;
  size_t AttributeCount() const { return attributes_.size() / 2; }
  // Name and value of the index-th attribute (document order), or null.
  const char16_t* AttributeName(size_t index) const;
  const char16_t* AttributeValue(size_t index) const;

  void AddAttribute(std::u16string name, std::u16string value);
  // Replaces the value by a copy of length characters.
  void SetValue(const char16_t* text, size_t length);
  void AppendValue(const char16_t* text, size_t length);
  // Makes node the first child when there is none yet and returns true;
  // otherwise nothing happens, the caller keeps node and gets false.
  bool AddChild(CKstXMLNode* node);
  // Puts node directly after this one; it takes over this node's former
  // next sibling and gets this node's parent.
  void InsertAfter(CKstXMLNode* node);

 private:
  int64_t type_;
  std::u16string name_;
  std::vector<std::u16string> attributes_;  // name and value alternating
  std::optional<std::u16string> value_;
  CKstXMLNode* nextSibling_ = nullptr;  // owned
  CKstXMLNode* firstChild_ = nullptr;   // owned
  CKstXMLNode* parent_ = nullptr;
};

}  // namespace brightwell
