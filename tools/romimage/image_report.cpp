#include "tools/romimage/image_report.h"

#include <array>
#include <map>
#include <optional>
#include <string>

#include "romimage/flash_image_builder.h"
#include "romimage/image_reader.h"

namespace romimage_tool {

namespace {

using namespace burnkit;

std::string kindLabel(uint32_t kind) {
  std::optional<SectionKind> k = sectionKindFromNumber(kind);
  return k ? sectionKindName(*k) : "kind " + std::to_string(kind);
}

// Reads a table's bytes and checks its digest and row size; bytes stay
// available even when the digest does not match, so that they can be shown.
TableCheck checkTable(ImageSource& source, const DirectoryEntry& entry, size_t recordSize, const std::string& label,
                      std::vector<uint8_t>* bytes) {
  TableCheck check;
  SourceRead r = readRange(source, entry.offset, entry.tableBytes(), bytes);
  if (r.status != SourceRead::ok) {
    check.problem = "cannot read " + std::to_string(entry.tableBytes()) + " bytes at offset " +
                    std::to_string(entry.offset) + ": " + r.reason;
    return check;
  }
  check.readable = true;
  check.digestOk = md5(*bytes) == entry.digest;
  if (recordSize > 0) check.problem = rowSizeProblem(label.c_str(), entry.rows, entry.rowSize, recordSize);
  if (!check.problem.empty()) check.readable = false;
  return check;
}

void noteTable(ImageReport& report, const std::string& label, const TableCheck& check) {
  if (!check.readable)
    report.failures.push_back(label + ": " + check.problem);
  else if (!check.digestOk)
    report.failures.push_back(label + ": MD5 mismatch");
}

void inspectDirectory(ImageSource& source, ImageReport& report) {
  const ImageHeader& h = report.header;
  std::vector<uint8_t> bytes;
  DirectoryEntry asEntry;
  asEntry.offset = h.directoryOffset;
  asEntry.rows = h.entryCount;
  asEntry.rowSize = h.entrySize;
  asEntry.digest = h.directoryDigest;
  report.directory = checkTable(source, asEntry, DirectoryEntry::kSize, "DirectoryTable", &bytes);
  noteTable(report, "directory", report.directory);
  if (!report.directory.readable) return;
  DirectoryTable table(std::move(bytes), h.entryCount, h.entrySize);
  for (uint32_t i = 0; i < table.size(); ++i) {
    DirectoryEntryReport e;
    e.entry = table[i];
    std::optional<SectionKind> kind = sectionKindFromNumber(e.entry.kind);
    e.name = kind ? sectionKindName(*kind) : nullptr;
    report.entries.push_back(e);
  }
}

// Tables of the kinds that are first in the directory: their checks, and
// the data tables' section files.
void inspectTables(ImageSource& source, ImageReport& report, std::vector<uint8_t>* productBytes) {
  std::vector<bool> seen(kSectionKindCount, false);
  for (DirectoryEntryReport& e : report.entries) {
    std::optional<SectionKind> kind = sectionKindFromNumber(e.entry.kind);
    const std::string label = kindLabel(e.entry.kind);
    if (!kind || seen[e.entry.kind]) {
      // Not a table the reader uses; only its digest is shown.
      std::vector<uint8_t> bytes;
      e.check = checkTable(source, e.entry, 0, label, &bytes);
      continue;
    }
    seen[e.entry.kind] = true;
    std::vector<uint8_t> bytes;
    if (*kind == SectionKind::productTable) {
      e.check = checkTable(source, e.entry, ProductRecord::kSize, "Product Table", productBytes);
      report.productTable = e.check;
      noteTable(report, label, e.check);
    } else if (*kind == SectionKind::stringTable) {
      e.check = checkTable(source, e.entry, 0, label, &bytes);
      report.stringTable = e.check;
      noteTable(report, label, e.check);
    } else {
      e.check = checkTable(source, e.entry, SectionEntry::kSize, label + " data table", &bytes);
      noteTable(report, label + " data table", e.check);
      DataTableReport table{*kind, e.check, {}};
      if (e.check.readable) {
        SectionTable rows(std::move(bytes), e.entry.rows, e.entry.rowSize);
        for (uint32_t i = 0; i < rows.size(); ++i) {
          SectionFileReport f;
          f.entry = rows[i];
          std::vector<uint8_t> data;
          f.readable = readRange(source, f.entry.offset, f.entry.size, &data).status == SourceRead::ok;
          f.digestOk = f.readable && md5(data) == f.entry.digest;
          if (!f.digestOk)
            report.failures.push_back(label + " file " + std::to_string(i) +
                                      (f.readable ? ": MD5 mismatch" : ": data outside the image"));
          table.files.push_back(f);
        }
      }
      report.dataTables.push_back(std::move(table));
    }
  }
  if (!seen[kindNumber(SectionKind::productTable)]) report.failures.push_back("no product table in the directory");
  if (!seen[kindNumber(SectionKind::stringTable)]) report.failures.push_back("no string table in the directory");
}

const DataTableReport* dataTable(const ImageReport& report, SectionKind kind) {
  for (const DataTableReport& t : report.dataTables)
    if (t.kind == kind) return &t;
  return nullptr;
}

void inspectProducts(ImageSource& source, ImageReport& report, std::vector<uint8_t> productBytes) {
  if (!report.productTable.readable) return;
  std::optional<DirectoryEntry> entry;
  for (const DirectoryEntryReport& e : report.entries)
    if (e.entry.kind == kindNumber(SectionKind::productTable)) {
      entry = e.entry;
      break;
    }
  ProductTable products(std::move(productBytes), entry->rows, entry->rowSize);

  // Names as burnkit reads them, when the string table can be read at all.
  StringTable strings;
  for (const DirectoryEntryReport& e : report.entries)
    if (e.entry.kind == kindNumber(SectionKind::stringTable) && e.check.readable) {
      std::vector<uint8_t> bytes;
      readRange(source, e.entry.offset, e.entry.tableBytes(), &bytes);
      scrambleStrings(bytes, report.header.stringKey);
      strings = StringTable(std::vector<char>(bytes.begin(), bytes.end()));
      break;
    }

  for (uint32_t i = 0; i < products.size(); ++i) {
    ProductReport p;
    p.row = i;
    p.record = products[i];
    auto name = [&](uint32_t offset) -> std::optional<std::string> {
      std::optional<std::string_view> text = strings.text(offset);
      return text ? std::optional<std::string>(*text) : std::nullopt;
    };
    p.nameA = name(p.record.nameA);
    p.nameB = name(p.record.nameB);
    p.nameC = name(p.record.nameC);
    for (SectionKind kind : kFlashSectionKinds) {
      ProductSectionReport s{kind, p.record.section(kind), std::nullopt};
      const DataTableReport* table = dataTable(report, kind);
      if (s.placement.fileIndex != kNone && table && s.placement.fileIndex < table->files.size())
        s.size = table->files[s.placement.fileIndex].entry.size;
      p.sections.push_back(s);
    }
    report.products.push_back(std::move(p));
  }
}

// Builds every product row as burnkit would, to show which it would refuse
// and the firmware version its picture carries (a later section may overlay
// the firmware file's own trailer). A row that is not flashable is never
// built by burnkit, so its refusal fails no check.
void tryBuilds(ImageSource& source, ImageReport& report) {
  MessageLog log;
  ImageDirectory dir;
  ProductTable products;
  StringTable strings;
  if (readDirectory(source, log, &dir) != 0 || readProductTable(dir, &products) != 0 ||
      readStringTable(dir, &strings) != 0) {
    report.readerMessages = log.lines();
    if (report.readerMessages.empty()) report.readerMessages = "the string table cannot be read\n";
    report.failures.push_back("burnkit cannot read the image's tables");
    return;
  }
  FlashImage picture;
  // A build depends on nothing but the row's record and the image's common
  // tables: rows that repeat a record are built once (an image may hold
  // thousands, each build a 4 MiB picture).
  struct Built {
    bool builds;
    std::string messages;
    std::optional<uint32_t> firmwareVersion;
  };
  std::map<std::string, Built> builtByRecord;
  for (ProductReport& p : report.products) {
    std::string key(ProductRecord::kSize, '\0');
    products[p.row].encode(reinterpret_cast<uint8_t*>(key.data()));
    auto known = builtByRecord.find(key);
    if (known == builtByRecord.end()) {
      MessageLog buildLog;
      dir.messages = &buildLog;
      Built built{buildFlashImage(dir, products[p.row], strings, picture) == 0, buildLog.lines(), std::nullopt};
      if (built.builds)
        built.firmwareVersion =
            versionFromUserAreaWord(picture.word(p.record.md5TableOffset + UserArea::kFirmwareVersion));
      known = builtByRecord.emplace(std::move(key), std::move(built)).first;
    }
    p.builds = known->second.builds;
    p.buildMessages = known->second.messages;
    p.firmwareVersion = known->second.firmwareVersion;
    if (!p.builds && p.record.flashable())
      report.failures.push_back("product " + std::to_string(p.row) + " cannot be built");
  }
}

}  // namespace

ImageReport inspectImage(ImageSource& source) {
  ImageReport report;
  report.fileSize = source.size();
  std::array<uint8_t, ImageHeader::kSize> header{};
  report.headerComplete = source.read(0, header).status == SourceRead::ok;
  report.header = ImageHeader::decode(header.data());
  report.headerDigestOk = report.headerComplete && headerDigestOf(header) == report.header.headerDigest;
  if (!report.headerComplete) report.failures.push_back("header: the file is shorter than the 56-byte header");
  if (!report.headerDigestOk && report.headerComplete) report.failures.push_back("header: MD5 mismatch");
  if (!report.headerComplete) return report;

  inspectDirectory(source, report);
  std::vector<uint8_t> productBytes;
  inspectTables(source, report, &productBytes);
  inspectProducts(source, report, std::move(productBytes));
  tryBuilds(source, report);
  return report;
}

}  // namespace romimage_tool
