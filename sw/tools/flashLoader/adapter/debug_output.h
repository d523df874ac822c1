// The debugger's output channel (OutputDebugStringA): diagnostics for someone
// attached with a debugger, never console text. Nothing listens unless a sink
// is installed.
#pragma once

using DebugSink = void (*)(const char* text);

void debug_output(const char* text);
// Replaces the sink; nullptr sends debug output nowhere again.
void set_debug_sink(DebugSink sink);
