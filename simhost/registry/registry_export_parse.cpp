// Reading an export. Every problem stops the parse with one message naming
// the file and line: a registry that silently lost half its keys would only
// show up much later as a missing adapter.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "simhost/registry/registry_export.h"
#include "simhost/registry/unicode_text.h"

namespace simhost {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) { return trimRight(trimLeft(s)); }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// A short quote of the offending text for messages.
std::string excerpt(std::string_view s) {
  constexpr size_t kMax = 40;
  // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about a
  // literal prepended to a temporary string.
  std::string quoted = "\"";
  quoted.append(s.substr(0, kMax));
  quoted.append(s.size() > kMax ? "...\"" : "\"");
  return quoted;
}

bool parseHexNumber(std::string_view digits, size_t maxDigits, uint32_t* value) {
  if (digits.empty() || digits.size() > maxDigits) return false;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), *value, 16);
  return ec == std::errc() && end == digits.data() + digits.size();
}

// The whole file as UTF-8, whatever encoding it came in.
bool decodeText(std::string_view bytes, const std::string& fileName, std::string* text, std::string* error) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
    if (bytes.size() % 2 != 0) {
      *error = fileName + ": UTF-16 text with an odd number of bytes";
      return false;
    }
    std::u16string units;
    units.reserve(bytes.size() / 2 - 1);
    for (size_t i = 2; i < bytes.size(); i += 2) {
      units.push_back(
          static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    }
    if (!isWellFormedUtf16(units)) {
      *error = fileName + ": UTF-16 text with an unpaired surrogate";
      return false;
    }
    *text = utf16ToUtf8(units);
    return true;
  }
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFE && static_cast<uint8_t>(bytes[1]) == 0xFF) {
    *error = fileName + ": big-endian UTF-16 is not supported (save as UTF-8 or UTF-16LE)";
    return false;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  *text = std::string(bytes);
  return true;
}

class ExportParser {
 public:
  ExportParser(const std::string& fileName, RegistryTree* tree, std::string* error)
      : fileName_(fileName), tree_(tree), error_(error) {}

  bool parse(std::string_view text) {
    splitLines(text);
    if (!checkHeader()) return false;
    for (next_ = 1; next_ < lines_.size();) {
      const size_t number = next_ + 1;
      std::string_view line = lines_[next_++];
      if (!checkLineText(line, number)) return false;
      line = trim(line);
      if (line.empty() || line.front() == ';') continue;
      bool ok = false;
      if (line.front() == '[') {
        ok = parseSection(line, number);
      } else if (line.front() == '"' || line.front() == '@') {
        ok = parseValue(line, number);
      } else {
        ok = fail(number, "unexpected text " + excerpt(line) +
                              " (expected a [key] section or a \"name\"=value line)");
      }
      if (!ok) return false;
    }
    return true;
  }

 private:
  bool fail(size_t number, const std::string& problem) {
    *error_ = fileName_ + " line " + std::to_string(number) + ": " + problem;
    return false;
  }

  void splitLines(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  bool checkLineText(std::string_view line, size_t number) {
    if (line.find('\0') != std::string_view::npos) {
      return fail(number, "NUL character in the text (UTF-16 files need their byte order mark)");
    }
    if (!utf8ToUtf16(line, &scratch_)) return fail(number, "text is not valid UTF-8");
    return true;
  }

  bool checkHeader() {
    if (lines_.empty()) return fail(1, "empty file (expected \"" + std::string(kHeader) + "\")");
    if (!checkLineText(lines_[0], 1)) return false;
    const std::string_view header = trimRight(lines_[0]);
    if (header == kHeader) return true;
    if (header == "REGEDIT4") {
      return fail(1, "REGEDIT4 exports are not supported (expected \"" + std::string(kHeader) + "\")");
    }
    return fail(1,
                "not a registry export: expected \"" + std::string(kHeader) + "\", found " + excerpt(header));
  }

  bool parseSection(std::string_view line, size_t number) {
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos) return fail(number, "key section without a closing ']'");
    if (close + 1 != line.size()) return fail(number, "text after the key section's ']'");
    std::string_view path = line.substr(1, close - 1);
    const bool deletion = !path.empty() && path.front() == '-';
    if (deletion) path.remove_prefix(1);

    const size_t slash = path.find('\\');
    const std::string_view root = path.substr(0, slash);
    if (root.empty()) return fail(number, "key section names no key");
    if (!equalsNoCase(root, kRoot)) {
      return fail(number, "only HKEY_LOCAL_MACHINE is stored, not " + excerpt(root));
    }
    std::string_view below = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (slash != std::string_view::npos && (below.empty() || below.front() == '\\' || below.back() == '\\' ||
                                            below.find("\\\\") != std::string_view::npos)) {
      return fail(number, "empty key name in " + excerpt(path));
    }

    if (deletion) {
      if (below.empty()) return fail(number, "HKEY_LOCAL_MACHINE itself cannot be deleted");
      tree_->remove(below);
      current_ = nullptr;
      afterDeletion_ = true;
    } else {
      current_ = &tree_->create(below);
      current_->markSection();
      afterDeletion_ = false;
    }
    return true;
  }

  // A quoted name or text starting at line[*pos]; \\ and \" are its escapes.
  bool parseQuoted(std::string_view line, size_t* pos, size_t number, std::string* out) {
    out->clear();
    for (size_t i = *pos + 1; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        *pos = i + 1;
        return true;
      }
      if (c == '\\') {
        if (i + 1 >= line.size() || (line[i + 1] != '\\' && line[i + 1] != '"')) {
          const std::string seen = i + 1 < line.size() ? std::string("\\") + line[i + 1] : "\\";
          return fail(number, "unknown escape \"" + seen +
                                  "\" in quoted text (write a backslash as \\\\ and a quote as \\\")");
        }
        ++i;
      }
      out->push_back(line[i]);
    }
    return fail(number, "quoted text without its closing '\"'");
  }

  bool parseValue(std::string_view line, size_t number) {
    if (!current_) {
      return fail(number, afterDeletion_ ? "value line under a key deletion section"
                                         : "value line outside a key section");
    }
    std::string name;
    size_t pos = 1;  // past the '@' of the default value
    if (line.front() == '"') {
      pos = 0;
      if (!parseQuoted(line, &pos, number, &name)) return false;
    }
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') {
      return fail(number, "expected '=' after the value name");
    }
    const std::string_view data = trim(line.substr(pos + 1));

    if (data == "-") {
      current_->deleteValue(name);
      return true;
    }
    if (!data.empty() && data.front() == '"') {
      size_t end = 0;
      std::string text;
      if (!parseQuoted(data, &end, number, &text)) return false;
      if (end != data.size()) return fail(number, "text after the closing '\"'");
      std::u16string units;
      utf8ToUtf16(text, &units);  // the line was checked to be UTF-8
      units.push_back(u'\0');
      current_->setValue(name, kRegSz, utf16ToLeBytes(units));
      return true;
    }
    if (startsWithNoCase(data, "dword:")) {
      uint32_t value = 0;
      if (!parseHexNumber(trim(data.substr(6)), 8, &value)) {
        return fail(number, "dword value needs 1 to 8 hex digits, found " + excerpt(data.substr(6)));
      }
      current_->setValue(name, kRegDword,
                         {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
      return true;
    }
    if (startsWithNoCase(data, "hex")) return parseHexValue(name, data.substr(3), number);
    return fail(number,
                "unknown value data " + excerpt(data) + " (expected \"text\", dword:, hex:, hex(N): or -)");
  }

  // After "hex": ":" or "(N):", then bytes, possibly over several lines.
  bool parseHexValue(const std::string& name, std::string_view rest, size_t number) {
    uint32_t type = kRegBinary;
    if (!rest.empty() && rest.front() == '(') {
      const size_t close = rest.find(')');
      if (close == std::string_view::npos || !parseHexNumber(rest.substr(1, close - 1), 8, &type)) {
        return fail(number, "value type in hex(N) must be 1 to 8 hex digits");
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') return fail(number, "expected ':' after hex or hex(N)");
    rest.remove_prefix(1);

    std::string joined;
    std::string_view part = trim(rest);
    while (!part.empty() && part.back() == '\\') {
      joined.append(part.substr(0, part.size() - 1));
      if (next_ >= lines_.size()) return fail(number, "hex data continues past the end of the file");
      if (!checkLineText(lines_[next_], next_ + 1)) return false;
      part = trim(lines_[next_++]);
    }
    joined.append(part);

    std::vector<uint8_t> bytes;
    std::string_view all = joined;
    size_t start = 0;
    while (start < all.size()) {
      size_t comma = all.find(',', start);
      if (comma == std::string_view::npos) comma = all.size();
      const std::string_view token = trim(all.substr(start, comma - start));
      const bool trailingComma = comma + 1 == all.size();
      uint32_t byte = 0;
      if (!parseHexNumber(token, 2, &byte)) {
        return fail(number, "bad hex byte " + excerpt(token) + " (expected two hex digits per byte)");
      }
      bytes.push_back(static_cast<uint8_t>(byte));
      if (trailingComma) break;
      start = comma + 1;
    }
    current_->setValue(name, type, std::move(bytes));
    return true;
  }

  const std::string& fileName_;
  RegistryTree* tree_;
  std::string* error_;
  std::vector<std::string_view> lines_;
  size_t next_ = 0;
  RegistryKey* current_ = nullptr;
  bool afterDeletion_ = false;
  std::u16string scratch_;
};

}  // namespace

bool parseRegistryExport(std::string_view bytes, const std::string& fileName, RegistryTree* tree,
                         std::string* error) {
  std::string text;
  if (!decodeText(bytes, fileName, &text, error)) return false;
  return ExportParser(fileName, tree, error).parse(text);
}

}  // namespace simhost
