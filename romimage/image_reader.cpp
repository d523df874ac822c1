#include "romimage/image_reader.h"

namespace burnkit {

namespace {

// A failed seek or read, reported as the run-time library reports the last
// system error: the prefix, ": " and the reason, on standard error.
void reportIo(MessageSink& messages, const std::string& prefix, const SourceRead& r) {
  messages.err(prefix + ": " + r.reason + "\n");
}

// How the messages of one table's read name it.
struct TableNames {
  const char* seek;  // prefix of a failed seek's report
  const char* read;  // prefix of a failed read's report
};

// Reads a table's bytes and compares their digest. False, after reporting,
// when the bytes could not be read or do not match.
bool readCheckedTable(const ImageDirectory& dir, const DirectoryEntry& entry, const TableNames& names,
                      const std::string& digestMessage, std::vector<uint8_t>* bytes) {
  SourceRead r = readRange(*dir.source, entry.offset, entry.tableBytes(), bytes);
  if (r.status != SourceRead::ok) {
    reportIo(*dir.messages, r.status == SourceRead::seekFailed ? names.seek : names.read, r);
    return false;
  }
  if (md5(*bytes) != entry.digest) {
    dir.messages->out(digestMessage);
    return false;
  }
  return true;
}

}  // namespace

std::string rowSizeProblem(const char* name, uint32_t rows, uint32_t rowSize, size_t recordSize) {
  if (rowSize > recordSize)
    return formatText("%s row size %u is larger than its %zu-byte record.", name, rowSize, recordSize);
  if (rowSize == 0 && rows > 0) return formatText("%s has %u rows of 0 bytes.", name, rows);
  return {};
}

std::optional<DirectoryEntry> ImageDirectory::find(SectionKind kind) const {
  for (uint32_t i = 0; i < entries.size(); ++i) {
    DirectoryEntry e = entries[i];
    if (e.kind == kindNumber(kind)) return e;
  }
  return std::nullopt;
}

int readDirectory(ImageSource& source, MessageSink& messages, ImageDirectory* directory) {
  *directory = ImageDirectory{};
  directory->source = &source;
  directory->messages = &messages;

  // A short header is reported and still checked: its digest cannot match.
  std::array<uint8_t, ImageHeader::kSize> header{};
  if (source.read(0, header).status != SourceRead::ok) messages.out("couldn't read the file header");
  ImageHeader h = ImageHeader::decode(header.data());
  if (headerDigestOf(header) != h.headerDigest) {
    messages.out("Top file header MD5 mismatch... this image is hosed!");
    return 1;
  }
  directory->header = h;

  std::vector<uint8_t> bytes;
  SourceRead r = readRange(source, h.directoryOffset, uint64_t(h.entryCount) * h.entrySize, &bytes);
  if (r.status != SourceRead::ok) {
    reportIo(messages, r.status == SourceRead::seekFailed ? "DirectoryTable fseek()" : "DirectoryTable fread()", r);
    return 1;
  }
  if (md5(bytes) != h.directoryDigest) {
    messages.out("Directory table MD5 mismatch... this image is hosed!");
    return 1;
  }
  std::string problem = rowSizeProblem("DirectoryTable", h.entryCount, h.entrySize, DirectoryEntry::kSize);
  if (!problem.empty()) {
    messages.out(problem);
    return 1;
  }
  directory->entries = DirectoryTable(std::move(bytes), h.entryCount, h.entrySize);
  return 0;
}

int readProductTable(const ImageDirectory& dir, ProductTable* products) {
  *products = ProductTable{};
  std::optional<DirectoryEntry> entry = dir.find(SectionKind::productTable);
  if (!entry) {
    dir.messages->out("Product Table lookup in the directory failed.");
    return 1;
  }
  std::vector<uint8_t> bytes;
  if (!readCheckedTable(dir, *entry, {"Product Table fseek()", "Product Table fread()"},
                        "Product Table failed MD5 check... this file's pretty much hosed.", &bytes))
    return 1;
  std::string problem = rowSizeProblem("Product Table", entry->rows, entry->rowSize, ProductRecord::kSize);
  if (!problem.empty()) {
    dir.messages->out(problem);
    return 1;
  }
  *products = ProductTable(std::move(bytes), entry->rows, entry->rowSize);
  return 0;
}

int readStringTable(const ImageDirectory& dir, StringTable* strings) {
  *strings = StringTable{};
  std::optional<DirectoryEntry> entry = dir.find(SectionKind::stringTable);
  if (!entry) return 1;
  std::vector<uint8_t> bytes;
  SourceRead r = readRange(*dir.source, entry->offset, entry->tableBytes(), &bytes);
  if (r.status != SourceRead::ok) return 1;
  if (md5(bytes) != entry->digest) {
    dir.messages->out("String table failed MD5 check... strings may look a little whacky.");
    return 1;
  }
  scrambleStrings(bytes, dir.header.stringKey);
  *strings = StringTable(std::vector<char>(bytes.begin(), bytes.end()));
  return 0;
}

bool readDataTable(const ImageDirectory& dir, SectionKind kind, SectionTable* rows) {
  *rows = SectionTable{};
  std::optional<DirectoryEntry> entry = dir.find(kind);
  if (!entry) return false;
  std::vector<uint8_t> bytes;
  if (!readCheckedTable(dir, *entry, {"dataTable fseek()", "dataTable fread"},
                        formatText("Data Table for section '%s' failed MD5.", sectionKindName(kind)), &bytes))
    return false;
  std::string name = formatText("Data Table for section '%s'", sectionKindName(kind));
  std::string problem = rowSizeProblem(name.c_str(), entry->rows, entry->rowSize, SectionEntry::kSize);
  if (!problem.empty()) {
    dir.messages->out(problem);
    return false;
  }
  *rows = SectionTable(std::move(bytes), entry->rows, entry->rowSize);
  return true;
}

}  // namespace burnkit
