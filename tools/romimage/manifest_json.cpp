#include "tools/romimage/manifest_json.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "tools/romimage/command_line.h"
#include "tools/romimage/file_io.h"

namespace romimage_tool {

namespace {

using burnkit::ImageManifest;
using burnkit::kNone;
using burnkit::ManifestProduct;
using burnkit::SectionKind;
using nlohmann::json;

const std::set<std::string> kTopKeys = {"format_version", "string_key", "products"};
const std::set<std::string> kProductKeys = {
    "name_a",  "name_b",       "name_c",       "board_type", "subsys",         "subvendor",         "chip_revision",
    "flags",   "bios_version", "product_word", "md5_table",  "program_subsys", "program_subvendor", "pxe_enable",
    "sections"};

std::string hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

// Reads the manifest's JSON values with one error style: the field's path.
class Reader {
 public:
  explicit Reader(std::string* error) : error_(error) {}

  bool fail(const std::string& where, const std::string& what) {
    *error_ = where + ": " + what;
    return false;
  }

  bool onlyKeys(const json& object, const std::set<std::string>& known, const std::string& where) {
    if (!object.is_object()) return fail(where, "must be an object");
    for (auto it = object.begin(); it != object.end(); ++it)
      if (!known.count(it.key())) return fail(where, "unknown field \"" + it.key() + "\"");
    return true;
  }

  // A 32-bit word; *value keeps its default when the field is absent and
  // not required.
  bool word(const json& object, const std::string& key, const std::string& where, bool required, uint32_t* value) {
    const std::string at = where + "." + key;
    if (!object.contains(key)) return required ? fail(at, "missing") : true;
    const json& v = object[key];
    uint64_t n = 0;
    if (v.is_number_unsigned()) {
      n = v.get<uint64_t>();
      if (n > 0xFFFFFFFF) return fail(at, "must fit 32 bits");
    } else if (!v.is_string() || !parseNumber(v.get<std::string>(), 0xFFFFFFFF, &n)) {
      return fail(at, "must be a 32-bit number (decimal or 0x-hexadecimal)");
    }
    *value = static_cast<uint32_t>(n);
    return true;
  }

  // A version: "major.minor.build" text, or the packed number.
  bool version(const json& object, const std::string& key, const std::string& where, uint32_t* value) {
    if (object.contains(key) && object[key].is_string() &&
        object[key].get<std::string>().find('.') != std::string::npos) {
      if (!parseVersion(object[key].get<std::string>(), value))
        return fail(where + "." + key, "must be major.minor.build (at most 255.255.65535)");
      return true;
    }
    return word(object, key, where, false, value);
  }

  bool name(const json& object, const std::string& key, const std::string& where, std::optional<std::string>* value) {
    if (!object.contains(key) || object[key].is_null()) return true;
    if (!object[key].is_string()) return fail(where + "." + key, "must be a text");
    const std::string text = object[key].get<std::string>();
    if (text.find('\0') != std::string::npos) return fail(where + "." + key, "must not hold a zero byte");
    *value = text;
    return true;
  }

 private:
  std::string* error_;
};

bool loadSections(Reader& r, const json& sections, const std::string& where, const std::filesystem::path& base,
                  std::map<std::string, burnkit::SectionFile>& files, ManifestProduct* product) {
  if (!sections.is_object()) return r.fail(where, "must be an object");
  for (auto it = sections.begin(); it != sections.end(); ++it) {
    const std::string at = where + "." + it.key();
    std::optional<SectionKind> kind = burnkit::sectionKindFromName(it.key());
    if (!kind || *kind == SectionKind::productTable || *kind == SectionKind::stringTable)
      return r.fail(at, "no such section kind");
    const json& s = it.value();
    if (!r.onlyKeys(s, {"file", "offset"}, at)) return false;
    if (!s.contains("file") || !s["file"].is_string()) return r.fail(at + ".file", "must be a file name");
    uint32_t offset = 0;
    if (!r.word(s, "offset", at, true, &offset)) return false;

    const std::string name = s["file"].get<std::string>();
    auto found = files.find(name);
    if (found == files.end()) {
      auto bytes = std::make_shared<std::vector<uint8_t>>();
      std::string error;
      if (!readBinaryFile((base / name).string(), bytes.get(), &error)) return r.fail(at + ".file", error);
      if (bytes->size() > 0xFFFFFFFF) return r.fail(at + ".file", "larger than 4 GiB");
      found = files.emplace(name, burnkit::SectionFile{name, std::move(bytes)}).first;
    }
    product->section(*kind) = burnkit::PlacedSection{found->second, offset};
  }
  return true;
}

json productJson(const ManifestProduct& p) {
  json j = json::object();
  if (p.nameA) j["name_a"] = *p.nameA;
  if (p.nameB) j["name_b"] = *p.nameB;
  if (p.nameC) j["name_c"] = *p.nameC;
  j["board_type"] = hex(p.boardType, 2);
  j["subsys"] = hex(p.subsys, 4);
  j["subvendor"] = hex(p.subvendor, 4);
  j["chip_revision"] = hex(p.chipRevision, 2);
  j["flags"] = hex(p.flags, 1);
  j["bios_version"] = versionText(p.biosVersion);
  j["product_word"] = hex(p.productWord, 8);
  j["md5_table"] = hex(p.md5TableOffset, 6);
  if (p.programSubsys != kNone) j["program_subsys"] = hex(p.programSubsys, 4);
  if (p.programSubvendor != kNone) j["program_subvendor"] = hex(p.programSubvendor, 4);
  if (p.pxeEnable != kNone) j["pxe_enable"] = hex(p.pxeEnable, 1);
  json sections = json::object();
  for (SectionKind kind : burnkit::kFlashSectionKinds) {
    const auto& placed = p.section(kind);
    if (placed)
      sections[burnkit::sectionKindName(kind)] = {{"file", placed->file.name}, {"offset", hex(placed->flashOffset, 6)}};
  }
  j["sections"] = sections;
  return j;
}

}  // namespace

bool loadManifest(const std::string& path, ImageManifest* manifest, std::string* error) {
  std::vector<uint8_t> text;
  if (!readBinaryFile(path, &text, error)) return false;
  json root = json::parse(text.begin(), text.end(), nullptr, false);
  Reader r(error);
  if (root.is_discarded()) return r.fail(path, "not valid JSON");
  if (!r.onlyKeys(root, kTopKeys, path)) return false;

  *manifest = ImageManifest{};
  uint32_t key = manifest->stringKey;
  if (!r.word(root, "format_version", path, false, &manifest->formatVersion) ||
      !r.word(root, "string_key", path, false, &key))
    return false;
  if (key > 0xFF) return r.fail(path + ".string_key", "must fit one byte");
  manifest->stringKey = key;
  if (!root.contains("products") || !root["products"].is_array()) return r.fail(path + ".products", "must be a list");

  const std::filesystem::path base = std::filesystem::path(path).parent_path();
  std::map<std::string, burnkit::SectionFile> files;
  for (size_t i = 0; i < root["products"].size(); ++i) {
    const json& pj = root["products"][i];
    const std::string where = path + ".products[" + std::to_string(i) + "]";
    if (!r.onlyKeys(pj, kProductKeys, where)) return false;
    ManifestProduct p;
    if (!r.name(pj, "name_a", where, &p.nameA) || !r.name(pj, "name_b", where, &p.nameB) ||
        !r.name(pj, "name_c", where, &p.nameC) || !r.word(pj, "board_type", where, true, &p.boardType) ||
        !r.word(pj, "subsys", where, true, &p.subsys) || !r.word(pj, "subvendor", where, true, &p.subvendor) ||
        !r.word(pj, "chip_revision", where, true, &p.chipRevision) || !r.word(pj, "flags", where, false, &p.flags) ||
        !r.version(pj, "bios_version", where, &p.biosVersion) ||
        !r.word(pj, "product_word", where, false, &p.productWord) ||
        !r.word(pj, "md5_table", where, false, &p.md5TableOffset) ||
        !r.word(pj, "program_subsys", where, false, &p.programSubsys) ||
        !r.word(pj, "program_subvendor", where, false, &p.programSubvendor) ||
        !r.word(pj, "pxe_enable", where, false, &p.pxeEnable))
      return false;
    if (pj.contains("sections") && !loadSections(r, pj["sections"], where + ".sections", base, files, &p)) return false;
    manifest->products.push_back(std::move(p));
  }
  return true;
}

bool saveManifest(const ImageManifest& manifest, const std::string& dir, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = "cannot create " + dir + ": " + ec.message();
    return false;
  }
  std::map<std::string, const std::vector<uint8_t>*> written;
  json products = json::array();
  for (const ManifestProduct& p : manifest.products) {
    for (SectionKind kind : burnkit::kFlashSectionKinds) {
      const auto& placed = p.section(kind);
      if (!placed) continue;
      auto [at, fresh] = written.emplace(placed->file.name, placed->file.data.get());
      if (!fresh) {
        if (*at->second != *placed->file.data) {
          *error = "two different section files are both named " + placed->file.name;
          return false;
        }
        continue;
      }
      if (!writeBinaryFile((std::filesystem::path(dir) / placed->file.name).string(), *placed->file.data, error))
        return false;
    }
    products.push_back(productJson(p));
  }
  json root = {{"format_version", hex(manifest.formatVersion, 8)},
               {"string_key", hex(manifest.stringKey, 2)},
               {"products", products}};
  const std::string text = root.dump(2) + "\n";
  return writeBinaryFile((std::filesystem::path(dir) / "MANIFEST.json").string(),
                         {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, error);
}

}  // namespace romimage_tool
