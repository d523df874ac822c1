// Writing an export in the registry editor's own form, so that a hand-made
// file in that form survives a rewrite byte for byte and diffs stay small.
#include <cstdio>
#include <string>
#include <string_view>

#include "simhost/registry/registry_export.h"
#include "simhost/registry/unicode_text.h"

namespace simhost {
namespace {

constexpr std::string_view kEol = "\r\n";

// The editor breaks hex data after the comma that brings a line to 77
// characters or more, and continues with two spaces of indent; lines
// stay within 80 characters unless the value name alone is longer.
constexpr size_t kHexLineLimit = 77;
constexpr std::string_view kHexContinuation = "\\\r\n  ";
constexpr size_t kContinuationIndent = 2;

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// Characters as the editor counts them (UTF-16 units).
size_t editorWidth(std::string_view utf8) {
  size_t width = 0;
  for (char c : utf8) {
    const auto byte = static_cast<uint8_t>(c);
    if ((byte & 0xC0) != 0x80) ++width;
    if ((byte & 0xF8) == 0xF0) ++width;  // needs a surrogate pair
  }
  return width;
}

// The text of a REG_SZ that a quoted string gives back exactly: one NUL, at
// the end, and nothing a line cannot hold. Anything else is written as hex(1).
bool quotableText(const std::vector<uint8_t>& data, std::string* text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string units = utf16FromLeBytes(data);
  if (units.back() != u'\0') return false;
  units.pop_back();
  for (char16_t unit : units) {
    if (unit == u'\0' || unit == u'\r' || unit == u'\n') return false;
  }
  if (!isWellFormedUtf16(units)) return false;
  *text = utf16ToUtf8(units);
  return true;
}

void appendHex(const RegistryValue& value, std::string* line) {
  char buffer[16];
  if (value.type == kRegBinary) {
    line->append("hex:");
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
    line->append(buffer);
  }
  size_t width = editorWidth(*line);
  for (size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", value.data[i]);
    line->append(buffer);
    if (i + 1 == value.data.size()) break;
    line->push_back(',');
    width += 3;
    if (width >= kHexLineLimit) {
      line->append(kHexContinuation);
      width = kContinuationIndent;
    }
  }
}

void appendValue(const RegistryValue& value, std::string* out) {
  std::string line = value.name.empty() ? "@=" : quoted(value.name) + "=";
  std::string text;
  if (value.type == kRegSz && quotableText(value.data, &text)) {
    line += quoted(text);
  } else if (value.type == kRegDword && value.data.size() == 4) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "dword:%08x",
                  static_cast<unsigned>(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                        (static_cast<uint32_t>(value.data[3]) << 24)));
    line += buffer;
  } else {
    appendHex(value, &line);
  }
  out->append(line);
  out->append(kEol);
}

void appendKey(const RegistryKey& key, const std::string& path, bool isRoot, std::string* out) {
  // A key with neither values nor subkeys is written even when it was only
  // implied, or it would vanish on the next read.
  const bool written = key.isSection() || !key.values().empty() || (!isRoot && key.subkeyCount() == 0);
  if (written) {
    out->append("[").append(path).append("]").append(kEol);
    for (const RegistryValue& value : key.values()) appendValue(value, out);
    out->append(kEol);
  }
  for (size_t i = 0; i < key.subkeyCount(); ++i) {
    const RegistryKey& sub = key.subkey(i);
    appendKey(sub, path + "\\" + sub.name(), false, out);
  }
}

}  // namespace

std::string formatRegistryExport(const RegistryTree& tree) {
  std::string out = "Windows Registry Editor Version 5.00";
  out.append(kEol).append(kEol);
  appendKey(tree.root(), "HKEY_LOCAL_MACHINE", true, &out);
  return out;
}

}  // namespace simhost
