// One process-wide dispatcher for console control signals. It is created on
// first use and never destroyed: its thread may be inside a handler while the
// process exits, so nothing it uses may be torn down under it.
#include "platform/posix/console_control.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
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

  static bool runHandlers(const std::vector<ConsoleHandler>& handlers, ConsoleEvent event) {
    bool handled = false;
    for (auto it = handlers.rbegin(); it != handlers.rend() && !handled; ++it) handled = (*it)(event);
    return handled;
  }

  // The close: the handlers run on a thread of their own while this one
  // waits for them at most the grace time; then the process ends, whether
  // they returned or not.
  [[noreturn]] void closeWithin(const std::vector<ConsoleHandler>& handlers, std::chrono::milliseconds grace) {
    struct Done {
      std::mutex mutex;
      std::condition_variable returned;
      bool value = false;
    };
    // Shared with a handler thread that may outlive the wait.
    auto done = std::make_shared<Done>();
    try {
      std::thread([handlers, done] {
        runHandlers(handlers, ConsoleEvent::Close);
        std::lock_guard<std::mutex> lock(done->mutex);
        done->value = true;
        done->returned.notify_all();
      }).detach();
    } catch (const std::system_error&) {
      endBySignal(SIGHUP);  // no thread for the handlers: the close as uncaught
    }
    std::unique_lock<std::mutex> lock(done->mutex);
    done->returned.wait_for(lock, grace, [&] { return done->value; });
    endBySignal(SIGHUP);
  }

  void dispatch(int signal) {
    const ConsoleEvent event = signal == SIGINT ? ConsoleEvent::CtrlC : ConsoleEvent::Close;
    std::vector<ConsoleHandler> handlers;
    CloseGrace grace;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      handlers = handlers_;
      grace = grace_;
    }
    if (event == ConsoleEvent::Close) closeWithin(handlers, grace ? grace() : kDefaultCloseGrace);
    if (!runHandlers(handlers, event)) endBySignal(signal);
  }

 public:
  void setGrace(CloseGrace grace) {
    std::lock_guard<std::mutex> lock(mutex_);
    grace_ = std::move(grace);
  }

 private:
  std::mutex mutex_;
  std::vector<ConsoleHandler> handlers_;
  CloseGrace grace_;
  bool started_ = false;
};

}  // namespace

bool addConsoleControlHandler(ConsoleHandler handler) {
  return ControlDispatcher::instance().add(std::move(handler));
}

void setCloseGrace(CloseGrace grace) { ControlDispatcher::instance().setGrace(std::move(grace)); }

}  // namespace platform
