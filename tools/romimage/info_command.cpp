#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "tools/romimage/command_line.h"
#include "tools/romimage/commands.h"
#include "tools/romimage/image_report.h"

namespace romimage_tool {

namespace {

using burnkit::kNone;
using burnkit::SectionKind;
using nlohmann::json;

std::string hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

const char* verdict(bool ok) { return ok ? "ok" : "MISMATCH"; }

std::string checkText(const TableCheck& c) {
  if (!c.readable) return c.problem.empty() ? "missing" : c.problem;
  return verdict(c.digestOk);
}

std::string nameText(const std::optional<std::string>& name) { return name ? *name : "(null)"; }

void printText(const std::string& path, const ImageReport& r) {
  const burnkit::ImageHeader& h = r.header;
  std::printf("Unified ROM image %s, %llu bytes\n", path.c_str(), static_cast<unsigned long long>(r.fileSize));
  std::printf("Header\n");
  if (!r.headerComplete) {
    std::printf("  incomplete: the file is shorter than the 56-byte header\n");
  } else {
    std::printf("  format version   %s\n", hex(h.formatVersion, 8).c_str());
    std::printf("  string key       %s\n", hex(h.stringKey & 0xFF, 2).c_str());
    std::printf("  directory        %u entries of %u bytes at %s\n", h.entryCount, h.entrySize,
                hex(h.directoryOffset, 8).c_str());
    std::printf("  header MD5       %s\n", verdict(r.headerDigestOk));
    std::printf("  directory MD5    %s\n", checkText(r.directory).c_str());
  }

  if (!r.entries.empty()) {
    std::printf("Directory\n  entry  kind            offset        rows  row size  MD5\n");
    for (size_t i = 0; i < r.entries.size(); ++i) {
      const DirectoryEntryReport& e = r.entries[i];
      const std::string kind = e.name ? e.name : "kind " + std::to_string(e.entry.kind);
      std::printf("  %5zu  %-14s  %s  %8u  %8u  %s\n", i, kind.c_str(), hex(e.entry.offset, 8).c_str(), e.entry.rows,
                  e.entry.rowSize, checkText(e.check).c_str());
    }
  }

  if (!r.products.empty()) std::printf("Products\n");
  for (const ProductReport& p : r.products) {
    const burnkit::ProductRecord& rec = p.record;
    std::printf("  row %u: %s / %s / %s\n", p.row, nameText(p.nameA).c_str(), nameText(p.nameB).c_str(),
                nameText(p.nameC).c_str());
    std::printf("    board type %s, subsystem %s, subsystem vendor %s, chip revision %s, %s\n",
                hex(rec.boardType, 2).c_str(), hex(rec.subsys, 4).c_str(), hex(rec.subvendor, 4).c_str(),
                hex(rec.chipRevision, 2).c_str(), rec.flashable() ? "flashable" : "not flashable");
    std::printf("    BIOS version %s, product word %s, MD5 table at %s\n", versionText(rec.biosVersion).c_str(),
                hex(rec.productWord, 8).c_str(), hex(rec.md5TableOffset, 6).c_str());
    std::printf("    subsystem to program %s/%s, PXE enable %s\n", hex(rec.programSubsys, 4).c_str(),
                hex(rec.programSubvendor, 4).c_str(), hex(rec.pxeEnable, 8).c_str());
    std::printf("    section   file  flash offset  size\n");
    for (const ProductSectionReport& s : p.sections) {
      const char* name = burnkit::sectionKindName(s.kind);
      if (s.placement.fileIndex == kNone) {
        std::printf("    %-8s  none\n", name);
        continue;
      }
      std::string size = s.size ? std::to_string(*s.size) : "no such file";
      std::printf("    %-8s  %4u  %s      %s\n", name, s.placement.fileIndex, hex(s.placement.flashOffset, 6).c_str(),
                  size.c_str());
    }
    if (p.firmwareVersion) std::printf("    firmware version %s\n", versionText(*p.firmwareVersion).c_str());
    if (r.readerMessages.empty()) {
      if (p.builds) {
        std::printf("    flash picture: builds\n");
      } else {
        std::printf("    flash picture: refused\n");
        std::string messages = p.buildMessages;
        for (size_t at = 0; at < messages.size();) {
          size_t end = messages.find('\n', at);
          std::printf("      %s\n", messages.substr(at, end - at).c_str());
          at = end == std::string::npos ? messages.size() : end + 1;
        }
      }
    }
  }

  if (!r.dataTables.empty()) std::printf("Section files\n");
  for (const DataTableReport& t : r.dataTables) {
    for (size_t i = 0; i < t.files.size(); ++i) {
      const SectionFileReport& f = t.files[i];
      std::printf("  %-8s  file %zu  at %s  %u bytes  MD5 %s\n", burnkit::sectionKindName(t.kind), i,
                  hex(f.entry.offset, 8).c_str(), f.entry.size,
                  f.readable ? verdict(f.digestOk) : "data outside the image");
    }
  }

  if (!r.readerMessages.empty()) std::printf("burnkit would refuse this image:\n%s", r.readerMessages.c_str());
  if (r.failures.empty()) {
    std::printf("Checks: all passed\n");
  } else {
    std::printf("Checks: %zu failed\n", r.failures.size());
    for (const std::string& f : r.failures) std::printf("  %s\n", f.c_str());
  }
}

json checkJson(const TableCheck& c) {
  json j = {{"readable", c.readable}, {"digest_ok", c.readable && c.digestOk}};
  if (!c.problem.empty()) j["problem"] = c.problem;
  return j;
}

json nameJson(const std::optional<std::string>& name) { return name ? json(*name) : json(nullptr); }

json word(uint32_t value) { return value == kNone ? json(nullptr) : json(value); }

json reportJson(const std::string& path, const ImageReport& r) {
  const burnkit::ImageHeader& h = r.header;
  json j;
  j["file"] = path;
  j["size"] = r.fileSize;
  j["header"] = {{"complete", r.headerComplete},      {"directory_offset", h.directoryOffset},
                 {"entry_count", h.entryCount},       {"entry_size", h.entrySize},
                 {"format_version", h.formatVersion}, {"string_key", h.stringKey & 0xFF},
                 {"digest_ok", r.headerDigestOk}};
  json entries = json::array();
  for (const DirectoryEntryReport& e : r.entries) {
    json ej = checkJson(e.check);
    ej["kind"] = e.entry.kind;
    ej["name"] = e.name ? json(e.name) : json(nullptr);
    ej["offset"] = e.entry.offset;
    ej["rows"] = e.entry.rows;
    ej["row_size"] = e.entry.rowSize;
    entries.push_back(ej);
  }
  j["directory"] = checkJson(r.directory);
  j["directory"]["entries"] = entries;

  json products = json::array();
  for (const ProductReport& p : r.products) {
    const burnkit::ProductRecord& rec = p.record;
    json sections = json::object();
    for (const ProductSectionReport& s : p.sections) {
      if (s.placement.fileIndex == kNone) continue;
      sections[burnkit::sectionKindName(s.kind)] = {{"file", s.placement.fileIndex},
                                                    {"flash_offset", s.placement.flashOffset},
                                                    {"size", s.size ? json(*s.size) : json(nullptr)}};
    }
    json pj = {{"row", p.row},
               {"names", {nameJson(p.nameA), nameJson(p.nameB), nameJson(p.nameC)}},
               {"board_type", rec.boardType},
               {"subsys", rec.subsys},
               {"subvendor", rec.subvendor},
               {"chip_revision", rec.chipRevision},
               {"flags", rec.flags},
               {"flashable", rec.flashable()},
               {"bios_version", versionText(rec.biosVersion)},
               {"product_word", rec.productWord},
               {"md5_table", rec.md5TableOffset},
               {"program_subsys", word(rec.programSubsys)},
               {"program_subvendor", word(rec.programSubvendor)},
               {"pxe_enable", word(rec.pxeEnable)},
               {"sections", sections},
               {"firmware_version", p.firmwareVersion ? json(versionText(*p.firmwareVersion)) : json(nullptr)}};
    if (r.readerMessages.empty()) {
      pj["builds"] = p.builds;
      if (!p.builds) pj["build_messages"] = p.buildMessages;
    }
    products.push_back(pj);
  }
  j["products"] = products;

  json files = json::object();
  for (const DataTableReport& t : r.dataTables) {
    json list = json::array();
    for (const SectionFileReport& f : t.files)
      list.push_back(
          {{"offset", f.entry.offset}, {"size", f.entry.size}, {"readable", f.readable}, {"digest_ok", f.digestOk}});
    files[burnkit::sectionKindName(t.kind)] = list;
  }
  j["section_files"] = files;
  if (!r.readerMessages.empty()) j["reader_messages"] = r.readerMessages;
  j["checks"] = {{"passed", r.failures.empty()}, {"failures", r.failures}};
  return j;
}

}  // namespace

int cmdInfo(const Args& args) {
  CommandLine cl;
  std::string error;
  if (!parseCommandLine(args, {{}, {"json"}, {}}, &cl, &error)) return complain(2, error);
  if (cl.words.size() != 1) return complain(2, "usage: romimage info FILE [--json]");

  std::string reason;
  std::unique_ptr<burnkit::FileImageSource> source = burnkit::FileImageSource::open(cl.words[0], &reason);
  if (!source) return complain(1, "cannot open " + cl.words[0] + ": " + reason);
  const ImageReport report = inspectImage(*source);
  if (cl.has("json"))
    std::printf("%s\n", reportJson(cl.words[0], report).dump(2).c_str());
  else
    printText(cl.words[0], report);
  return report.failures.empty() ? 0 : 1;
}

}  // namespace romimage_tool
