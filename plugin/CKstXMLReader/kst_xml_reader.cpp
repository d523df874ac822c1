#include "plugin/CKstXMLReader/kst_xml_reader.h"

#include <expat.h>

#include <fstream>
#include <memory>
#include <new>
#include <vector>

#include "platform/files.h"
#include "plugin/CKstXMLReader/shift_jis_encoding.h"
#include "plugin/CStr/cstr.h"

static_assert(sizeof(XML_Char) == sizeof(char16_t), "the reader needs Expat's UTF-16 build (XML_UNICODE)");

namespace brightwell {

namespace {

std::u16string textOf(const XML_Char* s) {
  std::u16string text;
  if (s)
    for (; *s; ++s) text += static_cast<char16_t>(*s);
  return text;
}

std::u16string textOf(const XML_Char* s, int length) {
  std::u16string text;
  text.reserve(length > 0 ? static_cast<size_t>(length) : 0);
  for (int i = 0; i < length; ++i) text += static_cast<char16_t>(s[i]);
  return text;
}

// What the callbacks share while one document is parsed.
struct ParseState {
  CKstXMLNode* current = nullptr;
  bool collecting = true;
  bool firstText = false;
  bool inCdata = false;
  CKstXMLNode* currentText = nullptr;
  XML_Parser parser = nullptr;
};

// Runs one callback; memory running out stops the parse (which then fails)
// instead of unwinding through the parser.
template <typename Body>
void guarded(void* data, Body body) {
  auto* state = static_cast<ParseState*>(data);
  try {
    body(state);
  } catch (const std::bad_alloc&) {
    XML_StopParser(state->parser, XML_FALSE);
  }
}

// A new child goes first when there is none, else directly after the first.
void attach(CKstXMLNode* parent, CKstXMLNode* child) {
  if (!parent->AddChild(child)) parent->FirstChild()->InsertAfter(child);
}

void startElement(ParseState* state, const XML_Char* name, const XML_Char** attributes);
void characters(ParseState* state, const XML_Char* s, int length);
void startCdata(ParseState* state);

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  guarded(data, [&](ParseState* state) { startElement(state, name, attributes); });
}

void startElement(ParseState* state, const XML_Char* name, const XML_Char** attributes) {
  state->collecting = true;
  state->firstText = true;
  auto node = std::make_unique<CKstXMLNode>(CKstXMLNode::Element, textOf(name));
  for (size_t i = 0; attributes && attributes[i] && attributes[i + 1]; i += 2)
    node->AddAttribute(textOf(attributes[i]), textOf(attributes[i + 1]));
  attach(state->current, node.get());
  state->current = node.release();
}

void XMLCALL onEnd(void* data, const XML_Char*) {
  auto* state = static_cast<ParseState*>(data);
  if (state->current->Parent()) state->current = state->current->Parent();
}

void XMLCALL onCharacters(void* data, const XML_Char* s, int length) {
  guarded(data, [&](ParseState* state) { characters(state, s, length); });
}

void characters(ParseState* state, const XML_Char* s, int length) {
  if (length <= 0) return;
  std::u16string text = textOf(s, length);
  if (state->inCdata) {
    state->current->AppendValue(text.data(), text.size());
    return;
  }
  if (!state->collecting) return;
  if (state->firstText) {
    if (isWideSpace(text[0])) {
      state->collecting = false;  // indented markup, not a value
      return;
    }
    auto node = std::make_unique<CKstXMLNode>(CKstXMLNode::Text, u"#TEXT");
    node->SetValue(text.data(), text.size());
    state->firstText = false;
    // Text behind an element's children has no place in the tree.
    state->currentText = state->current->AddChild(node.get()) ? node.release() : nullptr;
    return;
  }
  if (isWideSpace(text[0]) || state->currentText == nullptr) return;
  state->currentText->AppendValue(text.data(), text.size());
}

void XMLCALL onCdataStart(void* data) {
  guarded(data, [&](ParseState* state) { startCdata(state); });
}

void startCdata(ParseState* state) {
  state->collecting = true;
  state->inCdata = true;
  auto node = std::make_unique<CKstXMLNode>(CKstXMLNode::Text, u"#CDATA");
  attach(state->current, node.get());
  state->current = node.release();
}

void XMLCALL onCdataEnd(void* data) {
  auto* state = static_cast<ParseState*>(data);
  state->inCdata = false;
  state->collecting = false;
  if (state->current->Parent()) state->current = state->current->Parent();
}

}  // namespace

CKstXMLReader::CKstXMLReader() { Reset(); }

CKstXMLReader::~CKstXMLReader() { delete root_; }

void CKstXMLReader::Reset() {
  delete root_;
  root_ = nullptr;
  loaded_ = 0;
  root_ = new (std::nothrow) CKstXMLNode(CKstXMLNode::Element, u"#DOCROOT");
}

void CKstXMLReader::SetEncoding(const char16_t* name) {
  if (name) encoding_ = std::u16string(name);
  else encoding_.reset();
}

int CKstXMLReader::Load(const char16_t* path) {
  Reset();
  if (root_ == nullptr) return kXmlNoRoot;
  if (path == nullptr) return kXmlCannotOpen;
  std::string file = platform::hostPath(path);
  if (!platform::fileExists(file)) return kXmlCannotOpen;
  std::ifstream in(file, std::ios::binary);
  if (!in) return kXmlCannotOpen;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kXmlMaxFileBytes) return kXmlCannotRead;
  in.seekg(0, std::ios::beg);
  std::vector<char> bytes(static_cast<size_t>(size));
  if (size > 0 && !in.read(bytes.data(), size)) return kXmlCannotRead;
  if (!parse(bytes.data(), bytes.size())) return kXmlParseFailed;
  loaded_ = 1;
  return kXmlOk;
}

int CKstXMLReader::LoadFromMemory(const void* bytes, size_t length) {
  Reset();
  if (root_ == nullptr) return kXmlNoRoot;
  if (bytes == nullptr && length > 0) return kXmlParseFailed;
  if (length > kXmlMaxFileBytes) return kXmlParseFailed;
  if (!parse(static_cast<const char*>(bytes), length)) return kXmlParseFailed;
  loaded_ = 1;
  return kXmlOk;
}

bool CKstXMLReader::parse(const char* bytes, size_t length) {
  std::basic_string<XML_Char> encoding;
  if (encoding_)
    for (char16_t c : *encoding_) encoding += static_cast<XML_Char>(c);
  XML_Parser parser = XML_ParserCreate(encoding_ ? encoding.c_str() : nullptr);
  if (parser == nullptr) return false;
  ParseState state;
  state.current = root_;
  state.parser = parser;
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(parser, onStart, onEnd);
  XML_SetCharacterDataHandler(parser, onCharacters);
  XML_SetCdataSectionHandler(parser, onCdataStart, onCdataEnd);
  XML_SetUnknownEncodingHandler(parser, shiftJisEncodingHandler, nullptr);
  // A failed parse leaves a partial tree, dropped at the next reset.
  bool ok = XML_Parse(parser, bytes ? bytes : "", static_cast<int>(length), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

CKstXMLNode* CKstXMLReader::FindChild(CKstXMLNode* parent, const char16_t* name, const char16_t* attributeName,
                                      const char16_t* attributeValue) const {
  if (!IsLoaded() || name == nullptr) return nullptr;
  if (parent == nullptr) parent = root_;
  for (CKstXMLNode* child = parent->FirstChild(); child; child = child->NextSibling()) {
    if (std::u16string_view(child->Name()) != name) continue;
    if (attributeName && attributeValue) {
      const char16_t* value = child->Attribute(attributeName);
      if (value == nullptr || !equalsNoCase(value, attributeValue)) continue;
    }
    return child;
  }
  return nullptr;
}

}  // namespace brightwell
