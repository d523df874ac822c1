// The one way out for the tool's messages. Every text goes to standard
// output or standard error (which one is part of the interface: the upgrade
// wrapper reads some lines from one and some from the other); the sink
// decides where that is. The console sink writes through the C streams, so
// buffering and the order of the two streams stay those of the C library;
// tests install a sink that keeps the texts.
#pragma once

#include <string_view>

enum class OutputStream { out, err };

class ToolOutput {
 public:
  virtual ~ToolOutput() = default;
  virtual void write(OutputStream stream, std::string_view text) = 0;
  virtual void flush(OutputStream stream) = 0;
};

// The sink in use: the console unless a test installed another.
ToolOutput& tool_output();

// Installs a sink (nullptr: the console again); returns the one it replaces.
ToolOutput* set_tool_output(ToolOutput* sink);

// printf-style texts on standard output and standard error.
void out_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void err_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void stream_printf(OutputStream stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

void flush_out();
void flush_err();
