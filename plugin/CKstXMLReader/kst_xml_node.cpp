#include "plugin/CKstXMLReader/kst_xml_node.h"

#include <utility>

namespace brightwell {

CKstXMLNode::CKstXMLNode(NodeType type, std::u16string name) : type_(type), name_(std::move(name)) {}

// Iterative, so that neither a deeply nested document nor a long sibling
// chain can exhaust the stack.
CKstXMLNode::~CKstXMLNode() {
  std::vector<CKstXMLNode*> pending;
  if (firstChild_) pending.push_back(firstChild_);
  if (nextSibling_) pending.push_back(nextSibling_);
  while (!pending.empty()) {
    CKstXMLNode* node = pending.back();
    pending.pop_back();
    if (node->firstChild_) pending.push_back(node->firstChild_);
    if (node->nextSibling_) pending.push_back(node->nextSibling_);
    node->firstChild_ = nullptr;
    node->nextSibling_ = nullptr;
    delete node;
  }
}

CKstXMLNode* CKstXMLNode::FindChild(const char16_t* name) const {
  if (name == nullptr) return nullptr;
  for (CKstXMLNode* child = firstChild_; child; child = child->nextSibling_)
    if (child->name_ == name) return child;
  return nullptr;
}

const char16_t* CKstXMLNode::Attribute(const char16_t* name) const {
  if (name == nullptr) return nullptr;
  for (size_t i = 0; i + 1 < attributes_.size(); i += 2)
    if (attributes_[i] == name) return attributes_[i + 1].c_str();
  return nullptr;
}

const char16_t* CKstXMLNode::AttributeName(size_t index) const {
  return index < AttributeCount() ? attributes_[2 * index].c_str() : nullptr;
}

const char16_t* CKstXMLNode::AttributeValue(size_t index) const {
  return index < AttributeCount() ? attributes_[2 * index + 1].c_str() : nullptr;
}

void CKstXMLNode::AddAttribute(std::u16string name, std::u16string value) {
  attributes_.push_back(std::move(name));
  attributes_.push_back(std::move(value));
}

void CKstXMLNode::SetValue(const char16_t* text, size_t length) {
  value_ = text ? std::u16string(text, length) : std::u16string();
}

void CKstXMLNode::AppendValue(const char16_t* text, size_t length) {
  if (!value_) value_.emplace();
  if (text) value_->append(text, length);
}

bool CKstXMLNode::AddChild(CKstXMLNode* node) {
  if (node == nullptr || firstChild_ != nullptr) return false;
  firstChild_ = node;
  node->parent_ = this;
  return true;
}

void CKstXMLNode::InsertAfter(CKstXMLNode* node) {
  if (node == nullptr) return;
  node->nextSibling_ = nextSibling_;
  node->parent_ = parent_;
  nextSibling_ = node;
}

}  // namespace brightwell
