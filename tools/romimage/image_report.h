// Everything `romimage info` shows about a unified ROM image, gathered in one
// pass that does not stop at the first failed check: the header, the
// directory, each table and section file with its digest check, and for each
// product row its names, sections, firmware version and whether burnkit
// would build its flash picture (with burnkit's own words when not).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "romimage/image_format.h"
#include "romimage/image_source.h"

namespace romimage_tool {

struct TableCheck {
  bool readable = false;
  bool digestOk = false;
  std::string problem;  // why it is not readable or usable; empty when it is
};

struct DirectoryEntryReport {
  burnkit::DirectoryEntry entry;
  const char* name = nullptr;  // nullptr: a kind this format does not know
  TableCheck check;
};

struct SectionFileReport {
  burnkit::SectionEntry entry;
  bool readable = false;
  bool digestOk = false;
};

struct DataTableReport {
  burnkit::SectionKind kind;
  TableCheck check;
  std::vector<SectionFileReport> files;
};

struct ProductSectionReport {
  burnkit::SectionKind kind;
  burnkit::SectionPlacement placement;
  std::optional<uint32_t> size;  // when the file index names a row
};

struct ProductReport {
  uint32_t row = 0;
  burnkit::ProductRecord record;
  std::optional<std::string> nameA, nameB, nameC;
  std::vector<ProductSectionReport> sections;
  std::optional<uint32_t> firmwareVersion;  // from the built picture's user area
  bool builds = false;
  std::string buildMessages;  // burnkit's texts when it would refuse the row
};

struct ImageReport {
  uint64_t fileSize = 0;
  bool headerComplete = false;
  burnkit::ImageHeader header;
  bool headerDigestOk = false;
  TableCheck directory;
  std::vector<DirectoryEntryReport> entries;
  TableCheck productTable;
  TableCheck stringTable;
  std::vector<DataTableReport> dataTables;  // kinds 1-9 that the directory has
  std::vector<ProductReport> products;
  std::string readerMessages;         // burnkit's texts when it cannot read the image's tables
  std::vector<std::string> failures;  // one line per failed check
};

ImageReport inspectImage(burnkit::ImageSource& source);

}  // namespace romimage_tool
