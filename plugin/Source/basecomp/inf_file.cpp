#include "plugin/Source/basecomp/inf_file.h"

#include <fstream>
#include <iterator>

#include "platform/files.h"
#include "platform/host.h"
#include "plugin/CStr/cstr.h"

namespace brightwell {

namespace {

// The file's text: UTF-16 with its byte-order mark, UTF-8 with its mark,
// else the ANSI code page.
std::u16string decode(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return platform::widePath(bytes.substr(3));
  return platform::host().system().fromAnsi(bytes);
}

std::u16string trimmed(std::u16string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
  while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t' || text[e - 1] == u'\r')) --e;
  return std::u16string(text.substr(b, e - b));
}

// Splits a line's value part at commas outside quotes; quotes are removed
// ("" inside quotes is one quote); ';' outside quotes ends the line.
std::vector<std::u16string> fieldsOf(std::u16string_view value) {
  std::vector<std::u16string> fields;
  std::u16string field;
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    char16_t c = value[i];
    if (quoted) {
      if (c == u'"' && i + 1 < value.size() && value[i + 1] == u'"') field += u'"', ++i;
      else if (c == u'"') quoted = false;
      else field += c;
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u',') {
      fields.push_back(trimmed(field));
      field.clear();
    } else if (c == u';') {
      break;
    } else {
      field += c;
    }
  }
  fields.push_back(trimmed(field));
  return fields;
}

// The position of '=' outside quotes and before any comment, or npos.
size_t equalsSign(std::u16string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == u'"') quoted = !quoted;
    else if (!quoted && line[i] == u';') return std::u16string_view::npos;
    else if (!quoted && line[i] == u'=') return i;
  }
  return std::u16string_view::npos;
}

}  // namespace

bool CInf::Open(const std::u16string& name) {
  if (name.empty()) return false;
  std::string path = platform::hostPath(name);
  if (!platform::fileExists(path) && name.find_first_of(u"\\/:") == std::u16string::npos)
    path = platform::host().system().windowsDirectory() + "/inf/" + path;
  if (!platform::fileExists(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxBytes) return false;
  in.seekg(0, std::ios::beg);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return OpenText(decode(bytes));
}

bool CInf::OpenText(const std::u16string& text) {
  lines_.clear();
  std::u16string section;
  bool inSection = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = trimmed(std::u16string_view(text).substr(start, end - start));
    start = end + 1;
    // A line ending in a backslash continues on the next.
    while (!line.empty() && line.back() == u'\\' && start <= text.size()) {
      line.pop_back();
      end = text.find(u'\n', start);
      if (end == std::u16string::npos) end = text.size();
      line += trimmed(std::u16string_view(text).substr(start, end - start));
      start = end + 1;
    }
    if (line.empty() || line[0] == u';') continue;
    if (line[0] == u'[') {
      size_t close = line.find(u']');
      if (close == std::u16string::npos) continue;
      section = lowerCase(trimmed(std::u16string_view(line).substr(1, close - 1)));
      inSection = true;
      continue;
    }
    if (!inSection) continue;
    Line entry;
    entry.section = section;
    size_t eq = equalsSign(line);
    if (eq != std::u16string::npos) {
      entry.key = lowerCase(trimmed(std::u16string_view(line).substr(0, eq)));
      entry.fields = fieldsOf(std::u16string_view(line).substr(eq + 1));
    } else {
      entry.fields = fieldsOf(line);
    }
    lines_.push_back(std::move(entry));
  }
  return true;
}

std::u16string CInf::FirstAddServiceName() const {
  for (const Line& line : lines_)
    if (line.key == u"addservice" && !line.fields.empty()) return line.fields[0];
  return u"";
}

}  // namespace brightwell
