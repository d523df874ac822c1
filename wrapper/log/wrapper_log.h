// The wrapper's logger: a message is written into the buffer piece by piece
// and flushed as one entry to the log file (opened, appended to and closed at
// every flush) and, when asked or in debug mode, to standard output, never
// while the console silent switch is on.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

namespace keelson {

class WrapperLog {
 public:
  WrapperLog& operator<<(const std::string& text);
  WrapperLog& operator<<(const char* text);
  WrapperLog& operator<<(char c);
  template <typename Number>
  requires(std::is_integral_v<Number> && !std::is_same_v<Number, char> && !std::is_same_v<Number, bool>) WrapperLog&
  operator<<(Number n) {
    buffer_ += std::to_string(n);
    return *this;
  }

  // Writes the buffer and a line feed to the log file (when the log path is
  // known and the file opens) and to the console (console or debug, and not
  // silent); then empties the buffer.
  void flush(bool console);

  const std::string& text() const { return buffer_; }

 private:
  std::string buffer_;
};

// One entry in one call.
void logEntry(const std::string& text, bool console);

// The log file of this host: the system drive + "kstsystem/log/burnkit.log".
std::string logFilePathOfHost();

// The console set-up at program start: window 120 x 50, buffer 120 x 150,
// when standard output is a console.
void prepareConsole();

// Step 1 of every run: log path (directories created), banner to the log and
// the console, console title, time stamp.
void writeLogHeader();

// The usage text, eleven entries each followed by an empty line.
void printUsage();

}  // namespace keelson
