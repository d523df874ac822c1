// One process-wide dispatcher for console control signals. It is created on
// first use and never destroyed: its thread may be inside a handler while the
// process exits, so nothing it uses may be torn down under it.
#include "platform/posix/console_control.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

namespace {

sigset_t controlSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  return set;
}

// Ends the process by the signal, as if it had never been caught.
[[noreturn]] void endBySignal(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);  // not reached: the default action ends the process
}

class ControlDispatcher {
 public:
  static ControlDispatcher& instance() {
    static ControlDispatcher* dispatcher = new ControlDispatcher;
    return *dispatcher;
  }

  bool add(ConsoleHandler handler) {
    if (!handler) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!started_) {
      const sigset_t set = controlSignals();
      sigset_t previous;
      if (pthread_sigmask(SIG_BLOCK, &set, &previous) != 0) return false;
      try {
        // The new thread inherits the blocked mask, as sigwait needs.
        std::thread([this] { waitForSignals(); }).detach();
      } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return false;
      }
      started_ = true;
    }
    handlers_.push_back(std::move(handler));
    return true;
  }

 private:
  ControlDispatcher() = default;

  [[noreturn]] void waitForSignals() {
    const sigset_t set = controlSignals();
    while (true) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      dispatch(signal);
    }
  }

  void dispatch(int signal) {
    const ConsoleEvent event = signal == SIGINT ? ConsoleEvent::CtrlC : ConsoleEvent::Close;
    std::vector<ConsoleHandler> handlers;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      handlers = handlers_;
    }
    bool handled = false;
    for (auto it = handlers.rbegin(); it != handlers.rend() && !handled; ++it) handled = (*it)(event);
    if (!handled || event == ConsoleEvent::Close) endBySignal(signal);
  }

  std::mutex mutex_;
  std::vector<ConsoleHandler> handlers_;
  bool started_ = false;
};

}  // namespace

bool addConsoleControlHandler(ConsoleHandler handler) {
  return ControlDispatcher::instance().add(std::move(handler));
}

}  // namespace platform
