// The component log's files: the main log shared by every component of the
// framework and the verbose trace log, both appended in the ANSI code page.
#include "plugin/include/brightwell/cmp_log.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <new>
#include <random>
#include <string>

#include "platform/files.h"
#include "platform/host.h"
#include "plugin/CCmpLog/log_texts.h"
#include "plugin/CStr/cstr.h"
#include "plugin/CStr/wide_format.h"

namespace brightwell {

namespace {

const char16_t kDefaultDirectory[] = u"%systemdrive%\\kstsystem\\log\\";
const char16_t kMainLogName[] = u"kstsetup.log";

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The expanded directory with a separator at its end, or false when it
// does not fit an entry's directory field with its terminator.
bool expandedDirectory(std::u16string_view directory, std::u16string* out) {
  platform::System& system = platform::host().system();
  std::u16string expanded = platform::widePath(system.expandEnvironment(platform::hostText(std::u16string(directory))));
  if (!expanded.empty() && !isSeparator(expanded.back())) expanded += u'\\';
  if (expanded.size() >= kLogDirectoryChars) return false;
  *out = expanded;
  return true;
}

// A temporary-style name made as GetTempFileName makes one from a prefix
// and a unique number, unused in the directory when that can be told.
std::u16string temporaryName(const std::u16string& directory) {
  std::minstd_rand random(static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::u16string name;
  for (int attempt = 0; attempt < 16; ++attempt) {
    unsigned unique = static_cast<unsigned>(random() & 0xFFFF);
    if (unique == 0) unique = 1;
    name = formatWideText(u"_KS%04X.tmp", unique);
    if (!platform::fileExists(platform::hostPath(directory + name))) break;
  }
  return name;
}

LogFileEntry makeEntry(std::u16string_view directory, std::u16string_view name) {
  LogFileEntry entry{};
  copyBounded(entry.directory, kLogDirectoryChars, directory);
  copyBounded(entry.name, kLogNameChars, name);
  entry.open = 0;
  entry.handle = platform::kInvalidFile;
  return entry;
}

std::u16string pathOf(const LogFileEntry& entry) { return std::u16string(entry.directory) + entry.name; }

// Creates every level of a directory in turn; failures are left to the open.
void createDirectoryLevels(const std::u16string& directory) {
  std::string path = platform::hostPath(directory);
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1))
    platform::createDirectory(path.substr(0, pos));
  if (!path.empty() && path.back() != '/') platform::createDirectory(path);
}

// Opens (or creates) the entry's file for shared appending.
bool openEntry(LogFileEntry* entry) {
  if (entry->open) {  // opened again: the earlier handle is not left behind
    platform::closeFile(entry->handle);
    entry->open = 0;
    entry->handle = platform::kInvalidFile;
  }
  createDirectoryLevels(entry->directory);
  platform::FileHandle handle = platform::openSharedFile(platform::hostPath(pathOf(*entry)), nullptr);
  if (handle == platform::kInvalidFile) return false;
  entry->handle = handle;
  entry->open = 1;
  return true;
}

std::u16string baseName(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

CCmpLog::CCmpLog(const char16_t* fileName, const char16_t* directory) {
  std::u16string mainDirectory;
  if (!expandedDirectory(kDefaultDirectory, &mainDirectory)) {
    error = kLogDirectoryTooLong;
    return;
  }
  appendEntry(makeEntry(mainDirectory, kMainLogName));

  std::u16string verboseDirectory;
  if (!expandedDirectory(textOf(directory).empty() ? kDefaultDirectory : textOf(directory), &verboseDirectory)) {
    error = kLogDirectoryTooLong;
    return;
  }
  std::u16string name(textOf(fileName));
  if (name.empty()) name = temporaryName(verboseDirectory);
  if (name.empty()) name = kMainLogName;
  appendEntry(makeEntry(verboseDirectory, name));
}

CCmpLog::~CCmpLog() {
  ::operator delete(entries.first);
  entries = {};
}

void CCmpLog::appendEntry(const LogFileEntry& added) {
  if (entries.last == entries.capacity) {
    size_t count = EntryCount();
    size_t capacity = std::max<size_t>(2, count * 2);
    auto* storage = static_cast<LogFileEntry*>(::operator new(capacity * sizeof(LogFileEntry)));
    if (count) std::memcpy(static_cast<void*>(storage), entries.first, count * sizeof(LogFileEntry));
    ::operator delete(entries.first);
    entries.first = storage;
    entries.last = storage + count;
    entries.capacity = storage + capacity;
  }
  *entries.last++ = added;
}

int32_t CCmpLog::Open() {
  if (verbose) {
    LogFileEntry* v = Entry(1);
    if (v == nullptr || !openEntry(v)) return kLogOpenFailed;
  }
  LogFileEntry* m = Entry(0);
  if (m == nullptr || !openEntry(m)) return kLogOpenFailed;
  return 0;
}

int32_t CCmpLog::Close() {
  if (verbose) {
    if (LogFileEntry* v = Entry(1); v && v->open) {
      platform::closeFile(v->handle);
      v->open = 0;
      v->handle = platform::kInvalidFile;
    }
  }
  LogFileEntry* m = Entry(0);
  if (m == nullptr || !m->open) return kLogCloseFailed;
  bool closed = platform::closeFile(m->handle) == platform::kErrorSuccess;
  m->open = 0;
  m->handle = platform::kInvalidFile;
  return closed ? 0 : kLogCloseFailed;
}

void CCmpLog::writeText(size_t index, const char16_t* text) {
  LogFileEntry* e = Entry(index);
  if (e == nullptr || !e->open || text == nullptr || *text == 0) return;
  std::string bytes = platform::host().system().toAnsi(text);
  platform::appendToFile(e->handle, bytes.data(), bytes.size());  // a failed write is ignored
}

void CCmpLog::Log(int32_t target, int32_t severity, const char16_t* source, int32_t line, const char16_t* format,
                  ...) {
  if (target < LogToMain || target > LogTextBoth) return;
  std::u16string time = logTimeText(platform::host().system().localTime());
  va_list args;
  va_start(args, format);
  std::u16string message = formatWide(format, args);
  va_end(args);

  if (target == LogToMain || target == LogTraceBoth || target == LogTextBoth) {
    if (LogFileEntry* m = Entry(0); m && m->open) {
      writeText(0, severityPrefix(severity));
      writeText(0, message.c_str());
    }
  }
  if (target != LogToMain && verbose) {
    if (LogFileEntry* v = Entry(1); v && v->open) {
      if (target == LogTraceVerbose || target == LogTraceBoth) {
        if (const char16_t* header = headerFormat(severity))
          writeText(1, formatWideText(header, time.c_str(), baseName(textOf(source)).c_str(), line).c_str());
      } else {
        writeText(1, severityPrefix(severity));
      }
      writeText(1, message.c_str());
    }
  }
}

void CCmpLog::WriteHeader() {
  platform::System& system = platform::host().system();
  std::tm now = system.localTime();
  std::u16string date = logDateText(now) + u" " + logTimeText(now);
  HostProgram program = hostProgram();
  if (LogFileEntry* v = Entry(1); verbose && v && v->open)
    writeText(1, formatWideText(kVerboseHeader, program.name.c_str(), program.version.c_str(),
                                stubVersion ? stubVersion : u"", date.c_str())
                     .c_str());
  if (LogFileEntry* m = Entry(0); m && m->open)
    writeText(0, formatWideText(kMainHeader, program.name.c_str(), program.version.c_str(), date.c_str()).c_str());
}

void CCmpLog::WriteFooter(int32_t returnCode) {
  std::u16string footer = formatWideText(kFooter, logTimeText(platform::host().system().localTime()).c_str(), returnCode);
  if (LogFileEntry* v = Entry(1); verbose && v && v->open) writeText(1, footer.c_str());
  if (LogFileEntry* m = Entry(0); m && m->open) writeText(0, footer.c_str());
}

void CCmpLog::SetVerbose(int32_t on) { verbose = on; }

const char16_t* CCmpLog::VerboseFileName() const {
  const LogFileEntry* v = Entry(1);
  return v ? v->name : u"";
}

const char16_t* CCmpLog::VerboseDirectory() const {
  const LogFileEntry* v = Entry(1);
  return v ? v->directory : u"";
}

void CCmpLog::RelocateVerboseLog(const char16_t* newName, const char16_t* newDirectory) {
  LogFileEntry* v = Entry(1);
  if (v == nullptr || textOf(newName).empty()) return;
  // Copies: the texts may be this very entry's fields.
  const std::u16string name(textOf(newName));
  const std::u16string directory(textOf(newDirectory));
  if (name == v->name && directory == v->directory) return;
  std::string newPath = platform::hostPath(directory + name);
  std::string oldPath = platform::hostPath(pathOf(*v));

  if (!platform::fileExists(newPath)) {
    if (v->open) platform::closeFile(v->handle);
    v->open = 0;
    v->handle = platform::kInvalidFile;
    if (platform::moveFile(oldPath, newPath) == platform::kErrorSuccess) {
      copyBounded(v->directory, kLogDirectoryChars, directory);
      copyBounded(v->name, kLogNameChars, name);
    }
    platform::FileHandle handle = platform::openSharedFile(newPath, nullptr);
    if (handle != platform::kInvalidFile) {
      v->handle = handle;
      v->open = 1;
    }
    return;
  }
  if (!v->open) return;
  std::string bytes;
  if (platform::readWholeFile(v->handle, &bytes) != platform::kErrorSuccess || bytes.empty()) return;
  platform::FileHandle target = platform::openSharedFile(newPath, nullptr);
  if (target == platform::kInvalidFile) return;
  if (platform::appendToFile(target, bytes.data(), bytes.size()) != platform::kErrorSuccess) {
    platform::closeFile(target);
    return;  // the old log stays whole where it was
  }
  platform::closeFile(v->handle);
  platform::deleteFile(oldPath);
  v->handle = target;
}

}  // namespace brightwell
