// What the wrapper adds to a silent upgrade of the demo server: `Keelson -s`
// in the package directory upgrades every demo board with one burnkit run
// each (after burnkit's discovery and before the hardware-flag step). Every
// burnkit child runs under a timer that stands in for it, so the same runs
// give the wrapper's wall time and the sum of its children's wall times.
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"

namespace fs = std::filesystem;

namespace {

class KeelsonBench {
 public:
  KeelsonBench() {
    std::string pattern = (fs::temp_directory_path() / "keelson_bench_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) ? pattern : "";
    if (root_.empty()) {
      error_ = "no temporary directory";
      return;
    }
    // The wrapper runs the flash tool found in its own directory: here that
    // is the timer, which runs the real one.
    programs_ = root_ + "/programs";
    fs::create_directories(programs_);
    fs::copy_file(std::string(CORVANE_BENCH_BIN_DIR) + "/Keelson", programs_ + "/Keelson");
    for (const char* name : {"burnkit", "burnkit_x64"})
      fs::copy_file(std::string(CORVANE_BENCH_BIN_DIR) + "/child_timer", programs_ + "/" + name);
  }
  ~KeelsonBench() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  const std::string& error() const { return error_; }

  // A fresh demo server whose boards all run older firmware.
  bool prepare() {
    const std::string host = root_ + "/host";
    std::error_code ignored;
    fs::remove_all(host, ignored);
    fs::remove(times(), ignored);
    simhost::HostDir dir(host);
    std::string error;
    if (!simhost::createDemoHost(dir, &error)) {
      error_ = error;
      return false;
    }
    package_ = simhost::demoPackageDir(dir);
    for (const char* name : {"burnkit", "burnkit_x64"}) {
      if (!fs::exists(package_ + "/" + name)) fs::create_symlink(std::string(CORVANE_BENCH_BIN_DIR) + "/" + name, package_ + "/" + name);
    }
    host_ = host;
    return true;
  }

  // Runs the wrapper; false when it did not report its upgrade as done.
  bool run(double* wrapperSeconds) const {
    const std::string command = "cd '" + package_ + "' && CORVANE_SIMHOST='" + host_ + "' CORVANE_TIMED_PROGRAM='" +
                                CORVANE_BENCH_BIN_DIR + "/burnkit' CORVANE_TIMED_LOG='" + times() + "' '" +
                                programs_ + "/Keelson' -s";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    *wrapperSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
  }

  // The children's wall times of the last run, summed, and their number.
  double childrenSeconds(int* count) const {
    std::ifstream in(times());
    long long ns = 0;
    double sum = 0;
    *count = 0;
    while (in >> ns) {
      sum += static_cast<double>(ns) / 1e9;
      ++*count;
    }
    return sum;
  }

 private:
  std::string times() const { return root_ + "/child_times"; }

  std::string root_, programs_, host_, package_, error_;
};

void BM_KeelsonSilentUpgrade(benchmark::State& state) {
  static KeelsonBench bench;
  if (!bench.error().empty()) return state.SkipWithError(bench.error().c_str());
  double wrapper = 0, children = 0, runs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!bench.prepare()) return state.SkipWithError(bench.error().c_str());
    state.ResumeTiming();
    double seconds = 0;
    const bool done = bench.run(&seconds);
    state.PauseTiming();
    if (!done) return state.SkipWithError("Keelson -s did not end with 1 (done)");
    int count = 0;
    wrapper += seconds;
    children += bench.childrenSeconds(&count);
    runs = count;
    state.ResumeTiming();
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["wrapper_ms"] = wrapper * 1000 / iterations;
  state.counters["children_ms"] = children * 1000 / iterations;
  state.counters["children"] = runs;
  state.counters["overhead_pct"] = children > 0 ? (wrapper - children) / children * 100 : 0;
}
BENCHMARK(BM_KeelsonSilentUpgrade)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
