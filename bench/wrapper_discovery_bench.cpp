// What Keelson's discovery costs beside the flash tool it runs: on the demo
// server, the wrapper's whole discovery (configuration read, "burnkit.exe -d
// tempNicList.xml" as a child, report read, file deleted, log entries)
// against the same child started and waited for alone. Wall time, as the
// child's time is not this process's CPU time.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/host.h"
#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"
#include "wrapper/catalog/discovery.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/run_state.h"

namespace {

class DemoServer {
 public:
  DemoServer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "discovery_bench_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) ? pattern : "";
    if (root_.empty()) return;
    simhost::HostDir dir(root_ + "/host");
    std::string error;
    if (!simhost::createDemoHost(dir, &error)) {
      error_ = error;
      return;
    }
    ::setenv("CORVANE_SIMHOST", dir.root.c_str(), 1);
    platform::setHost(platform::makeSimHost(dir.root, &error));
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(simhost::demoPackageDir(dir));
    keelson::runState().logPath = keelson::logFilePathOfHost();
    ready_ = true;
  }
  ~DemoServer() {
    if (!previous_.empty()) std::filesystem::current_path(previous_);
    platform::setHost(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  bool ready(benchmark::State& state) const {
    if (!ready_) state.SkipWithError(("no demo server: " + error_).c_str());
    return ready_;
  }

 private:
  std::string root_;
  std::string error_;
  std::filesystem::path previous_;
  bool ready_ = false;
};

DemoServer& server() {
  static DemoServer instance;
  return instance;
}

void BM_BurnkitDiscoveryChildAlone(benchmark::State& state) {
  if (!server().ready(state)) return;
  platform::StartOptions options;
  options.input.kind = options.output.kind = options.error.kind = platform::StdStream::Null;
  for (auto _ : state) {
    platform::WinError error = 0;
    auto child = platform::host().process().start("burnkit.exe -d tempNicList.xml", options, &error);
    if (!child || child->wait() != 0) {
      state.SkipWithError("burnkit -d failed");
      return;
    }
    std::filesystem::remove("tempNicList.xml");
  }
}
BENCHMARK(BM_BurnkitDiscoveryChildAlone)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_WrapperDiscovery(benchmark::State& state) {
  if (!server().ready(state)) return;
  keelson::RunState& run = keelson::runState();
  for (auto _ : state) {
    run.discoveryDone = run.discoveryReportRead = false;
    run.adapters.clear();
    run.supportedCount = 0;
    if (keelson::discoverAdapters() != 0 || run.adapters.size() != 4) {
      state.SkipWithError("the wrapper's discovery did not find the four demo boards");
      return;
    }
  }
}
BENCHMARK(BM_WrapperDiscovery)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
