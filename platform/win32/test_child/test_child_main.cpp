// A child program for the Win32 backend's tests. It writes the command line
// it received (GetCommandLineA) to standard output, then acts on its first
// word after the program name:
//   exit N          ends with exit code N (decimal or 0x hex)
//   env NAME        writes NAME's value, or "<unset>"
//   ctrl-c          installs the console's control handler, raises Ctrl+C at
//                   its own console and ends with 42 when the handler saw it
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_backend.h"

namespace {

int raiseCtrlC() {
  // A console of its own, so that the event reaches this process only (and
  // has a console to go through when the child was started without one).
  FreeConsole();
  if (!AllocConsole()) return 2;
  static std::atomic<int> seen{0};
  auto console = platform::makeWin32Console();
  if (!console->setControlHandler([](platform::ConsoleEvent e) {
        if (e == platform::ConsoleEvent::CtrlC) seen = 1;
        return true;
      }))
    return 3;
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) return 4;
  for (int i = 0; i < 500 && !seen; ++i) Sleep(10);
  return seen ? 42 : 5;
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("%s\n", GetCommandLineA());
  std::fflush(stdout);
  std::string action = argc > 1 ? argv[1] : "";
  if (action == "exit" && argc > 2) return static_cast<int>(std::strtoul(argv[2], nullptr, 0));
  if (action == "env" && argc > 2) {
    const char* value = std::getenv(argv[2]);
    std::printf("%s\n", value ? value : "<unset>");
    return 0;
  }
  if (action == "ctrl-c") return raiseCtrlC();
  return 0;
}
