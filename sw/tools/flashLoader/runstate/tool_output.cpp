#include "sw/tools/flashLoader/runstate/tool_output.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

class ConsoleOutput : public ToolOutput {
 public:
  void write(OutputStream stream, std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), file(stream));
  }
  void flush(OutputStream stream) override { std::fflush(file(stream)); }

 private:
  static std::FILE* file(OutputStream stream) { return stream == OutputStream::out ? stdout : stderr; }
};

ConsoleOutput g_console;
// Read by the console control handler's thread too.
std::atomic<ToolOutput*> g_sink{&g_console};

void format_to(OutputStream stream, const char* format, va_list args) {
  char small[512];
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  if (length < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    tool_output().write(stream, std::string_view(small, static_cast<size_t>(length)));
  } else {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
    tool_output().write(stream, text);
  }
  va_end(again);
}

}  // namespace

ToolOutput& tool_output() { return *g_sink.load(); }

ToolOutput* set_tool_output(ToolOutput* sink) { return g_sink.exchange(sink != nullptr ? sink : &g_console); }

void out_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  format_to(OutputStream::out, format, args);
  va_end(args);
}

void err_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  format_to(OutputStream::err, format, args);
  va_end(args);
}

void stream_printf(OutputStream stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  format_to(stream, format, args);
  va_end(args);
}

void flush_out() { tool_output().flush(OutputStream::out); }
void flush_err() { tool_output().flush(OutputStream::err); }
