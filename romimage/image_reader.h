// Reading a unified ROM image: the header and directory, the product table,
// the string table and the data tables, each checked against its MD5 digest
// before anything in it is used. Every failure is reported where it happens
// to the directory's message sink, in burnkit's words, and returned.
#pragma once

#include <optional>
#include <string>

#include "romimage/image_format.h"
#include "romimage/image_messages.h"
#include "romimage/image_source.h"

namespace burnkit {

// An image's header and directory, and what the later reads need: the source
// and where their messages go. Both must outlive the directory.
struct ImageDirectory {
  ImageSource* source = nullptr;
  MessageSink* messages = nullptr;
  ImageHeader header;
  DirectoryTable entries;

  // The first entry of that kind.
  std::optional<DirectoryEntry> find(SectionKind kind) const;
};

// 0, or 1 after reporting why.
int readDirectory(ImageSource& source, MessageSink& messages, ImageDirectory* directory);
int readProductTable(const ImageDirectory& directory, ProductTable* products);
int readStringTable(const ImageDirectory& directory, StringTable* strings);
// False ("none") when the image has no such table or it failed its checks.
bool readDataTable(const ImageDirectory& directory, SectionKind kind, SectionTable* rows);

// Why a table with rows of rowSize bytes cannot be a table of records of
// recordSize bytes (rows larger than the record, or rows of no bytes at
// all); empty when it can. name is the table as messages call it.
std::string rowSizeProblem(const char* name, uint32_t rows, uint32_t rowSize, size_t recordSize);

}  // namespace burnkit
