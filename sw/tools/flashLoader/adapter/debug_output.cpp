#include "sw/tools/flashLoader/adapter/debug_output.h"

#include <atomic>

namespace {

// The console control handler's thread may write debug output too.
std::atomic<DebugSink> g_sink{nullptr};

}  // namespace

void debug_output(const char* text) {
  if (DebugSink sink = g_sink.load()) sink(text);
}

void set_debug_sink(DebugSink sink) { g_sink.store(sink); }
