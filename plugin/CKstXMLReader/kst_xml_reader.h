// The plug-in's XML reader: a whole file parsed by Expat (UTF-16 build)
// into a tree of CKstXMLNode. Elements, their attributes, one text node per
// element and CDATA sections are kept; everything else is dropped.
//
// Children hang in a fixed order: an element's first child is the first in
// the document, the later ones follow it in reverse document order (each new
// child is inserted directly after the first). Lookups see this order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "plugin/CKstXMLReader/kst_xml_node.h"

namespace brightwell {

// Load results.
inline constexpr int kXmlOk = 0;
inline constexpr int kXmlNoRoot = 1;
inline constexpr int kXmlCannotOpen = 3;
inline constexpr int kXmlCannotRead = 4;
inline constexpr int kXmlParseFailed = 5;

// Package files are small; a larger file is refused as unreadable rather
// than read whole into memory.
inline constexpr uint64_t kXmlMaxFileBytes = 64ull << 20;

class CKstXMLReader {
 public:
  CKstXMLReader();
  CKstXMLReader(const CKstXMLReader&) = delete;
  CKstXMLReader& operator=(const CKstXMLReader&) = delete;
  virtual ~CKstXMLReader();

  // Drops the tree and starts an empty one; nothing is loaded afterwards.
  void Reset();
  // Parses the whole file: kXmlOk, or kXmlNoRoot, kXmlCannotOpen,
  // kXmlCannotRead, kXmlParseFailed.
  int Load(const char16_t* path);
  // kXmlOk or kXmlParseFailed (kXmlNoRoot when no tree could be made).
  int LoadFromMemory(const void* bytes, size_t length);
  // The encoding given to the next parse in place of the document's own
  // declaration; null lets the document decide.
  void SetEncoding(const char16_t* name);

  CKstXMLNode* Root() const { return root_; }
  bool IsLoaded() const { return loaded_ != 0; }

  // The first child of parent (null: the root) named name exactly and, when
  // both attribute name and value are given, whose attribute of that name
  // equals the value without regard to case. Null when nothing is loaded.
  CKstXMLNode* FindChild(CKstXMLNode* parent, const char16_t* name, const char16_t* attributeName = nullptr,
                         const char16_t* attributeValue = nullptr) const;

 private:
  bool parse(const char* bytes, size_t length);

  CKstXMLNode* root_ = nullptr;               // owned
  std::optional<std::u16string> encoding_;
  uint8_t loaded_ = 0;
};

}  // namespace brightwell
