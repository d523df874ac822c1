// The process's console: control events through SetConsoleCtrlHandler (the
// system calls the handlers on a thread of its own, the last one installed
// first), input through the C runtime's standard input, title and sizes on
// the console of standard output.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/win32/win32_backend.h"

namespace platform {

namespace {

std::mutex& handlersMutex() {
  static std::mutex m;
  return m;
}

std::vector<ConsoleHandler>& handlers() {
  static std::vector<ConsoleHandler> list;
  return list;
}

// A handler may hold a close (CTRL_CLOSE_EVENT) by not returning: the system
// ends the process once the routine returns, or when the few seconds it
// grants run out; meanwhile the process may end itself, as a run that
// finishes its write phase and clean-up does.
BOOL WINAPI controlRoutine(DWORD event) {
  std::vector<ConsoleHandler> list;
  {
    std::lock_guard<std::mutex> lock(handlersMutex());
    list = handlers();
  }
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if ((*it)(static_cast<ConsoleEvent>(event))) return TRUE;
  }
  return FALSE;
}

class Win32Console : public Console {
 public:
  bool setControlHandler(ConsoleHandler handler) override {
    std::lock_guard<std::mutex> lock(handlersMutex());
    if (handlers().empty() && !SetConsoleCtrlHandler(controlRoutine, TRUE)) return false;
    handlers().push_back(std::move(handler));
    return true;
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

  // Only a console's typed-ahead input is dropped; piped input is kept.
  void discardPendingInput() override {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (in != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode)) FlushConsoleInputBuffer(in);
  }

  void setTitle(const std::string& title) override { SetConsoleTitleA(title.c_str()); }

  bool outputIsConsole() override {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
  }

  bool setWindowSize(int columns, int rows) override {
    if (columns <= 0 || rows <= 0) return false;
    SMALL_RECT window{0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
    return SetConsoleWindowInfo(GetStdHandle(STD_OUTPUT_HANDLE), TRUE, &window) != 0;
  }

  bool setBufferSize(int columns, int rows) override {
    if (columns <= 0 || rows <= 0) return false;
    COORD size{static_cast<SHORT>(columns), static_cast<SHORT>(rows)};
    return SetConsoleScreenBufferSize(GetStdHandle(STD_OUTPUT_HANDLE), size) != 0;
  }
};

}  // namespace

std::unique_ptr<Console> makeWin32Console() { return std::make_unique<Win32Console>(); }

}  // namespace platform
