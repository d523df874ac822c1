// Reading a document into a tree. Expat tokenises; the tree, the tolerated
// irregularities and the error positions are this layer's own.
#include <expat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "wrapper/xml/xml_document.h"

namespace keelson {

namespace {

struct TreeBuilder {
  XML_Parser parser = nullptr;
  XmlNode top = createTop("");
  std::vector<XmlNode> open{top};  // top first, the innermost open element last
  bool inCdata = false;
  std::string cdata;
  int refusal = kXmlOk;  // set when a handler stopped the parse

  XmlElement& current() { return *open.back(); }

  void stop(int why) {
    refusal = why;
    XML_StopParser(parser, XML_FALSE);
  }
};

TreeBuilder& builderOf(void* data) { return *static_cast<TreeBuilder*>(data); }

void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  TreeBuilder& b = builderOf(data);
  if (b.refusal != kXmlOk) return;
  if (b.open.size() > kXmlMaxDepth) {
    b.stop(kXmlNestingTooDeep);
    return;
  }
  XmlNode node = addChild(b.open.back(), name);
  for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) addAttribute(*node, a[0], a[1]);
  b.open.push_back(node);
}

void onEnd(void* data, const XML_Char*) {
  TreeBuilder& b = builderOf(data);
  if (b.refusal == kXmlOk && b.open.size() > 1) b.open.pop_back();
}

void onText(void* data, const XML_Char* text, int length) {
  TreeBuilder& b = builderOf(data);
  if (b.refusal != kXmlOk) return;
  if (b.inCdata) {
    b.cdata.append(text, static_cast<size_t>(length));
    return;
  }
  // The tokeniser hands character data over in pieces; one run of text is
  // one piece of the tree.
  std::vector<XmlContent>& content = b.current().content;
  if (!content.empty() && content.back().kind == XmlContent::Kind::Text) {
    content.back().text.append(text, static_cast<size_t>(length));
  } else {
    addText(b.current(), std::string(text, static_cast<size_t>(length)));
  }
}

void onComment(void* data, const XML_Char* text) {
  TreeBuilder& b = builderOf(data);
  if (b.refusal == kXmlOk) addOther(b.current(), std::string("<!--") + text + "-->");
}

void onCdataStart(void* data) {
  TreeBuilder& b = builderOf(data);
  b.inCdata = true;
  b.cdata.clear();
}

void onCdataEnd(void* data) {
  TreeBuilder& b = builderOf(data);
  b.inCdata = false;
  if (b.refusal == kXmlOk) addOther(b.current(), "<![CDATA[" + b.cdata + "]]>");
}

void onDoctype(void* data, const XML_Char* name, const XML_Char* systemId, const XML_Char* publicId, int) {
  TreeBuilder& b = builderOf(data);
  std::string raw = std::string("<!DOCTYPE ") + name;
  if (publicId != nullptr) {
    raw += std::string(" PUBLIC \"") + publicId + "\"";
    if (systemId != nullptr) raw += std::string(" \"") + systemId + "\"";
  } else if (systemId != nullptr) {
    raw += std::string(" SYSTEM \"") + systemId + "\"";
  }
  raw += ">";
  if (b.refusal == kXmlOk) addOther(b.current(), raw);
}

void onDeclaration(void* data, const XML_Char* version, const XML_Char* encoding, int standalone) {
  TreeBuilder& b = builderOf(data);
  XmlNode declaration = addChild(b.top, "xml");
  declaration->declaration = true;
  if (version != nullptr) addAttribute(*declaration, "version", version);
  if (encoding != nullptr) addAttribute(*declaration, "encoding", encoding);
  if (standalone != -1) addAttribute(*declaration, "standalone", standalone == 1 ? "yes" : "no");
}

// Entities declared by the document are not expanded: a few lines of them
// can ask for gigabytes.
void onEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                         const XML_Char*, const XML_Char*) {
  builderOf(data).stop(kXmlEntityDeclaration);
}

// Line and column (from 1) of a byte offset, counting UTF-8 characters.
void locate(const std::string& text, size_t offset, XmlParseResult* result) {
  if (offset > text.size()) offset = text.size();
  size_t line = 1;
  size_t column = 1;
  for (size_t i = 0; i < offset; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      ++line;
      column = 1;
    } else if ((byte & 0xC0) != 0x80) {
      ++column;
    }
  }
  result->line = line;
  result->column = column;
}

bool holdsElement(const XmlElement& e) {
  for (const XmlContent& c : e.content) {
    if (c.kind == XmlContent::Kind::Element && !c.element->declaration) return true;
  }
  return false;
}

// Tokenises text into builder; the layer's error number.
int tokenise(const std::string& text, TreeBuilder& builder, size_t* failedAt) {
  XML_Parser parser = XML_ParserCreate("UTF-8");  // the text is UTF-8 whatever it declares
  if (parser == nullptr) return kXmlSyntaxErrorBase + XML_ERROR_NO_MEMORY;
  builder.parser = parser;
  XML_SetUserData(parser, &builder);
  XML_SetElementHandler(parser, onStart, onEnd);
  XML_SetCharacterDataHandler(parser, onText);
  XML_SetCommentHandler(parser, onComment);
  XML_SetCdataSectionHandler(parser, onCdataStart, onCdataEnd);
  XML_SetStartDoctypeDeclHandler(parser, onDoctype);
  XML_SetXmlDeclHandler(parser, onDeclaration);
  XML_SetEntityDeclHandler(parser, onEntityDeclaration);

  constexpr size_t kChunk = 1 << 20;
  XML_Status status = XML_STATUS_OK;
  size_t done = 0;
  do {
    const size_t length = std::min(kChunk, text.size() - done);
    const bool last = done + length == text.size();
    status = XML_Parse(parser, text.data() + done, static_cast<int>(length), last ? XML_TRUE : XML_FALSE);
    done += length;
  } while (status == XML_STATUS_OK && done < text.size());

  int error = kXmlOk;
  if (status != XML_STATUS_OK) {
    const XML_Error code = XML_GetErrorCode(parser);
    *failedAt = static_cast<size_t>(std::max<XML_Index>(0, XML_GetCurrentByteIndex(parser)));
    if (builder.refusal != kXmlOk) {
      error = builder.refusal;
    } else if (code == XML_ERROR_NO_ELEMENTS && builder.open.size() > 1) {
      error = kXmlMissingEndTag;
    } else if (code == XML_ERROR_NO_ELEMENTS && !holdsElement(*builder.top)) {
      error = kXmlNoElement;
    } else {
      error = kXmlSyntaxErrorBase + static_cast<int>(code);
    }
  }
  XML_ParserFree(parser);
  return error;
}

XmlNode emptyElement() { return std::make_shared<XmlElement>(); }

}  // namespace

XmlNode parseBytes(const std::string& bytes, const std::string& expectedRoot, XmlParseResult* result) {
  XmlParseResult local;
  XmlParseResult& r = result != nullptr ? *result : local;
  r = XmlParseResult{};
  if (bytes.empty()) {
    r.error = kXmlEmptyFile;
    return emptyElement();
  }
  std::string text;
  r.error = decodeDocumentText(bytes, &text);
  if (r.error != kXmlOk) return emptyElement();

  TreeBuilder builder;
  size_t failedAt = text.size();
  r.error = tokenise(text, builder, &failedAt);
  if (r.error > kXmlNoElement) {
    locate(text, failedAt, &r);
    return emptyElement();
  }

  XmlNode found = builder.top;
  if (childCount(*found) == 1 && found->content.size() == 1) found = child(*found, 0);
  if (!expectedRoot.empty() && !sameNameIgnoringCase(found->name, expectedRoot)) {
    XmlNode named;
    for (size_t i = 0; i < childCount(*found) && !named; ++i) {
      XmlNode c = child(*found, i);
      if (!c->declaration && sameNameIgnoringCase(c->name, expectedRoot)) named = c;
    }
    if (!named) {
      r.error = kXmlRootNotFound;
      locate(text, text.size(), &r);
      return emptyElement();
    }
    found = named;
  }
  if (r.error != kXmlOk) locate(text, failedAt, &r);
  return found;
}

XmlNode parseFile(const std::string& fileName, const std::string& expectedRoot, XmlParseResult* result) {
  XmlParseResult local;
  XmlParseResult& r = result != nullptr ? *result : local;
  r = XmlParseResult{};
  std::error_code ec;
  std::ifstream in;
  if (!std::filesystem::is_directory(fileName, ec)) in.open(fileName, std::ios::binary);
  if (!in.is_open()) {
    r.error = kXmlCannotOpen;
    return emptyElement();
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    r.error = kXmlCannotOpen;
    return emptyElement();
  }
  return parseBytes(bytes, expectedRoot, &r);
}

}  // namespace keelson
