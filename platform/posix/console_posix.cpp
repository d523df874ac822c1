// Console calls mapped onto a terminal. What a Windows console would do to
// its own window (title, sizes) happens only when standard output is a
// terminal; a redirected output never receives control sequences, as a file
// handle never receives console changes on Windows.
#include "platform/posix/console_posix.h"

#include <stdio_ext.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/console_control.h"

namespace platform {

namespace {

class PosixConsole : public Console {
 public:
  explicit PosixConsole(CloseGrace closeGrace) : closeGrace_(std::move(closeGrace)) {}

  bool setControlHandler(ConsoleHandler handler) override {
    setCloseGrace(closeGrace_);
    return addConsoleControlHandler(std::move(handler));
  }

  int readChar() override {
    int c = std::getchar();
    return c == EOF ? -1 : c;
  }

  bool readLine(std::string* line) override {
    line->clear();
    int c;
    bool any = false;
    while ((c = std::getchar()) != EOF) {
      any = true;
      if (c == '\n') break;
      line->push_back(static_cast<char>(c));
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return any;
  }

  void discardPendingInput() override {
    if (!::isatty(STDIN_FILENO)) return;  // piped input is kept
    __fpurge(stdin);
    ::tcflush(STDIN_FILENO, TCIFLUSH);
  }

  void setTitle(const std::string& title) override {
    if (!outputIsConsole()) return;
    std::string sequence = "\033]0;";
    for (char c : title) {
      // A control character would end the sequence early.
      if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) sequence += c;
    }
    sequence += '\007';
    std::fwrite(sequence.data(), 1, sequence.size(), stdout);
    std::fflush(stdout);
  }

  bool outputIsConsole() override { return ::isatty(STDOUT_FILENO) == 1; }

  // A terminal's size belongs to its user; the call succeeds on a terminal,
  // as on a console, and changes nothing.
  bool setWindowSize(int columns, int rows) override { return columns > 0 && rows > 0 && outputIsConsole(); }
  bool setBufferSize(int columns, int rows) override { return columns > 0 && rows > 0 && outputIsConsole(); }

 private:
  CloseGrace closeGrace_;
};

}  // namespace

std::unique_ptr<Console> makePosixConsole(CloseGrace closeGrace) {
  return std::make_unique<PosixConsole>(std::move(closeGrace));
}

}  // namespace platform
