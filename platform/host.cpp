#include "platform/host.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

std::unique_ptr<Host>& current() {
  static std::unique_ptr<Host> instance;
  return instance;
}

std::atomic<uint64_t> g_replacements{0};

std::mutex& currentMutex() {
  static std::mutex m;
  return m;
}

}  // namespace

std::unique_ptr<Host> makeHostFromEnvironment(std::string* error) {
  const char* dir = std::getenv("CORVANE_SIMHOST");
  if (dir == nullptr) return makeNativeHost();
  if (*dir == '\0') {
    if (error) *error = "CORVANE_SIMHOST is set but empty: it must name a simulated host directory";
    return nullptr;
  }
  return makeSimHost(dir, error);
}

Host& host() {
  std::lock_guard<std::mutex> lock(currentMutex());
  std::unique_ptr<Host>& h = current();
  if (!h) {
    std::string error;
    h = makeHostFromEnvironment(&error);
    if (!h) {
      std::fprintf(stderr, "simulated host: %s\n", error.c_str());
      std::fflush(stderr);
      std::_Exit(1);
    }
  }
  return *h;
}

void setHost(std::unique_ptr<Host> replacement) {
  std::lock_guard<std::mutex> lock(currentMutex());
  current() = std::move(replacement);
  g_replacements.fetch_add(1, std::memory_order_release);
}

uint64_t hostReplacements() { return g_replacements.load(std::memory_order_acquire); }

}  // namespace platform
