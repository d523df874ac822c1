#include "romimage/image_messages.h"

#include <cstdarg>
#include <cstdio>

namespace burnkit {

namespace {

class ConsoleSink : public MessageSink {
 public:
  void write(MessageStream stream, std::string_view text) override {
    std::FILE* file = stream == MessageStream::err ? stderr : stdout;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
  }
};

}  // namespace

MessageSink& consoleMessages() {
  static ConsoleSink sink;
  return sink;
}

void MessageLog::write(MessageStream stream, std::string_view text) { entries_.push_back({stream, std::string(text)}); }

std::string MessageLog::text() const {
  std::string all;
  for (const Entry& e : entries_) all += e.text;
  return all;
}

std::string MessageLog::lines() const {
  std::string all;
  for (const Entry& e : entries_) {
    all += e.text;
    if (!all.empty() && all.back() != '\n') all += '\n';
  }
  return all;
}

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (size > 0) {
    text.resize(static_cast<size_t>(size) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(size));
  }
  va_end(again);
  return text;
}

}  // namespace burnkit
