// The component log: the update manager and the plug-in share this class.
// The manager may hand its own object to the component, which from then on
// calls the manager's virtual operations and reads and writes the object's
// fields directly. The field layout and the order of the virtual operations
// below are therefore an interface: change neither.
//
// Slots (the design's numbering, the deleting destructor first):
//   0 destructor, 1 Open, 2 Close, 3 WriteHeader, 4 Log, 5 WriteFooter,
//   6 SetVerbose.
// Under the Itanium C++ ABI a virtual destructor takes two table entries
// (complete and deleting), so slot n >= 1 is table entry n + 1 there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brightwell {

inline constexpr size_t kLogDirectoryChars = 260;  // MAX_PATH
inline constexpr size_t kLogNameChars = 256;

// One log file.
struct LogFileEntry {
  char16_t directory[kLogDirectoryChars];  // expanded, ending in a separator
  char16_t name[kLogNameChars];
  int32_t open;                            // 1 after the file was opened
  intptr_t handle;                         // platform file handle
};

// The growable array of entries: an allocator word and the three pointers
// of a vector, kept as plain words so both sides read the same memory.
struct LogFileEntries {
  void* allocator;
  LogFileEntry* first;
  LogFileEntry* last;      // past the last entry
  LogFileEntry* capacity;  // past the reserved storage
};

enum LogTarget : int32_t {
  LogToMain = 0,
  LogTraceVerbose = 1,
  LogTextVerbose = 2,
  LogTraceBoth = 3,
  LogTextBoth = 4,
};

enum LogSeverity : int32_t {
  SeverityNone = 0,
  SeverityWarning = 1,
  SeverityError = 2,
  SeverityCritical = 3,
};

// Result codes.
inline constexpr int32_t kLogCloseFailed = 102;
inline constexpr int32_t kLogOpenFailed = 103;
inline constexpr int32_t kLogDirectoryTooLong = 104;

class CCmpLog {
 public:
  // Both texts may be null or empty: the verbose log then gets a fresh
  // temporary-style name and the default directory.
  CCmpLog(const char16_t* fileName, const char16_t* directory);
  CCmpLog(const CCmpLog&) = delete;
  CCmpLog& operator=(const CCmpLog&) = delete;

  // Releases the entries; open files are not closed (Close does that).
  virtual ~CCmpLog();
  virtual int32_t Open();
  virtual int32_t Close();
  virtual void WriteHeader();
  // format is a printf-style UTF-16 text whose %s takes a UTF-16 text.
  virtual void Log(int32_t target, int32_t severity, const char16_t* source, int32_t line,
                   const char16_t* format, ...);
  virtual void WriteFooter(int32_t returnCode);
  virtual void SetVerbose(int32_t on);

  int32_t IsVerbose() const { return verbose; }
  // Entry 1's name and directory (empty texts when there is no entry 1).
  const char16_t* VerboseFileName() const;
  const char16_t* VerboseDirectory() const;
  // Moves the verbose log file to newDirectory + newName, or appends it to a
  // file already there.
  void RelocateVerboseLog(const char16_t* newName, const char16_t* newDirectory);

  // Fields, in this order after the table pointer; both sides read and
  // write them.
  const char16_t* stubVersion = nullptr;  // "Stub Version" of the verbose header; the owner's
  int32_t error = 0;                      // kLogDirectoryTooLong after construction
  LogFileEntries entries = {};            // 0 the main log, 1 the verbose log
  void* reserved[2] = {};                 // never touched by the component
  int32_t verbose = 0;

  size_t EntryCount() const { return static_cast<size_t>(entries.last - entries.first); }
  LogFileEntry* Entry(size_t index) const { return index < EntryCount() ? entries.first + index : nullptr; }

 private:
  void appendEntry(const LogFileEntry& entry);
  void writeText(size_t index, const char16_t* text);
};

}  // namespace brightwell

using brightwell::CCmpLog;
