// The console: control events (Ctrl+C, close, ...) delivered to a handler on a
// thread of its own, as Windows does; character and line input; title and
// window/buffer sizes.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class ConsoleEvent : unsigned {
  CtrlC = 0,     // CTRL_C_EVENT
  CtrlBreak = 1, // CTRL_BREAK_EVENT
  Close = 2,     // CTRL_CLOSE_EVENT
  Logoff = 5,    // CTRL_LOGOFF_EVENT
  Shutdown = 6,  // CTRL_SHUTDOWN_EVENT
};

// Returns true when it handled the event; false lets the default handling run
// (for Ctrl+C and close: the process ends).
using ConsoleHandler = std::function<bool(ConsoleEvent)>;

class Console {
 public:
  virtual ~Console() = default;

  // SetConsoleCtrlHandler(handler, TRUE). False when it cannot be installed.
  virtual bool setControlHandler(ConsoleHandler handler) = 0;
  // getchar(): the next byte of standard input, or -1 at its end.
  virtual int readChar() = 0;
  // One line of standard input without its line end; false at end of input.
  virtual bool readLine(std::string* line) = 0;
  // FlushConsoleInputBuffer: drops what was typed ahead at a terminal; piped
  // input is kept, as on Windows.
  virtual void discardPendingInput() = 0;
  virtual void setTitle(const std::string& title) = 0;
  // True when standard output is a console (a terminal).
  virtual bool outputIsConsole() = 0;
  // SetConsoleWindowInfo / SetConsoleScreenBufferSize on standard output.
  virtual bool setWindowSize(int columns, int rows) = 0;
  virtual bool setBufferSize(int columns, int rows) = 0;
};

}  // namespace platform
