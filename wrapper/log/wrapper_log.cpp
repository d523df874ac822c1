#include "wrapper/log/wrapper_log.h"

#include <cstdio>

#include "wrapper/state/run_state.h"

namespace keelson {

WrapperLog& WrapperLog::operator<<(const std::string& text) {
  buffer_ += text;
  return *this;
}

WrapperLog& WrapperLog::operator<<(const char* text) {
  if (text != nullptr) buffer_ += text;
  return *this;
}

WrapperLog& WrapperLog::operator<<(char c) {
  buffer_ += c;
  return *this;
}

void WrapperLog::flush(bool console) {
  const RunState& state = runState();
  // Opened and closed at every entry: the flash tool and others may append
  // to the same file in between.
  if (!state.logPath.empty()) {
    if (std::FILE* file = std::fopen(state.logPath.c_str(), "ab")) {
      std::fwrite(buffer_.data(), 1, buffer_.size(), file);
      std::fputc('\n', file);
      std::fclose(file);
    }
  }
  if ((state.consoleDebug || console) && !state.consoleSilent) {
    std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  buffer_.clear();
}

void logEntry(const std::string& text, bool console) {
  WrapperLog log;
  log << text;
  log.flush(console);
}

}  // namespace keelson
