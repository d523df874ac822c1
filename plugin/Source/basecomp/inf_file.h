// An INF file read the way the setup interface reads one (Windows NT
// style): sections in file order, "key = field, field, ..." lines,
// ';' comments, quoted fields, Unicode or ANSI text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brightwell {

class CInf {
 public:
  // INF files beyond this size are not INF files the framework installs.
  static constexpr uint64_t kMaxBytes = 16ull << 20;

  // Opens a file by name: as given (relative to the current directory),
  // else, for a bare name, in the Windows directory's "inf".
  bool Open(const std::u16string& name);
  bool OpenText(const std::u16string& text);

  // The first field of the first "AddService" line (in file order) of the
  // first section that has one; empty when there is none.
  std::u16string FirstAddServiceName() const;

 private:
  struct Line {
    std::u16string section;  // lower case
    std::u16string key;      // lower case, empty for a line without '='
    std::vector<std::u16string> fields;
  };
  std::vector<Line> lines_;
};

}  // namespace brightwell
