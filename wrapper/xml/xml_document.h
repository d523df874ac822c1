// Reading a whole XML file into a tree and writing a tree as a file.
#pragma once

#include <cstddef>
#include <string>

#include "wrapper/xml/xml_element.h"

namespace keelson {

// Error numbers of the XML layer. Numbers from kXmlSyntaxErrorBase up are
// syntax errors: the base plus the tokeniser's own error number.
inline constexpr int kXmlOk = 0;
inline constexpr int kXmlMissingEndTag = 1;  // tolerated: the tree is kept
inline constexpr int kXmlNoElement = 2;      // tolerated: the tree is kept
inline constexpr int kXmlEmptyFile = 3;
inline constexpr int kXmlNothingToParse = 9;
inline constexpr int kXmlCannotOpen = 10;
inline constexpr int kXmlRootNotFound = 11;
inline constexpr int kXmlBadEncoding = 14;
inline constexpr int kXmlCannotCreate = 15;
inline constexpr int kXmlCannotWrite = 16;
inline constexpr int kXmlNestingTooDeep = 90;     // elements nested deeper than kXmlMaxDepth
inline constexpr int kXmlEntityDeclaration = 91;  // entity declarations are refused, not expanded
inline constexpr int kXmlSyntaxErrorBase = 100;

inline constexpr size_t kXmlMaxDepth = 1000;

struct XmlParseResult {
  int error = kXmlOk;
  size_t line = 0;    // from 1, for a non-zero error
  size_t column = 0;  // from 1, counted in UTF-8 characters
};

// The element named expectedRoot (ignoring case): the document's root, or
// the root's first child of that name. An empty element when the error is
// above 2. An empty expectedRoot accepts any root.
XmlNode parseFile(const std::string& fileName, const std::string& expectedRoot, XmlParseResult* result);

// The same over the bytes of a file already read (UTF-16 or UTF-8, with or
// without byte-order mark).
XmlNode parseBytes(const std::string& bytes, const std::string& expectedRoot, XmlParseResult* result);

// The front of a parse: a file's bytes as UTF-8 text. UTF-16 (by the
// platform's text test; a leading FF FE skipped) is converted, a UTF-8
// byte-order mark skipped; the text ends at its first NUL. 0, 9 (nothing
// left) or 14 (not convertible).
int decodeDocumentText(const std::string& bytes, std::string* utf8);

// No indentation, no line breaks; values and texts escaped.
std::string renderCompact(const XmlElement& element);

// UTF-8 byte-order mark, the declaration line (unless top is a declaration
// node) and the compact rendering. 0, 15 or 16.
int writeFile(const XmlElement& top, const std::string& fileName);

}  // namespace keelson
