// What the plug-in adds to a silent install of the demo server: in each
// iteration a fresh demo server is upgraded once by `Keelson /s` alone and
// once by `updeck install --silent` (the update manager's install through
// Brightwell, which runs the same wrapper), both from the package directory.
// The counters give both wall times and the plug-in's overhead in percent
// (the target is at most 10).
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = CORVANE_BENCH_BIN_DIR;

class InstallBench {
 public:
  InstallBench() {
    std::string pattern = (fs::temp_directory_path() / "updeck_bench_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) ? pattern : "";
    if (root_.empty()) error_ = "no temporary directory";
    for (const char* program : {"Keelson", "burnkit", "updeck", "Brightwell.so"}) {
      if (!fs::exists(kBin + "/" + program)) error_ = std::string(program) + " is not built";
    }
  }
  ~InstallBench() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  const std::string& error() const { return error_; }

  // A fresh demo server whose package directory is a whole component
  // directory.
  bool prepare() {
    const std::string host = root_ + "/host";
    std::error_code ignored;
    fs::remove_all(host, ignored);
    simhost::HostDir dir(host);
    std::string error;
    if (!simhost::createDemoHost(dir, &error)) {
      error_ = error;
      return false;
    }
    package_ = simhost::demoPackageDir(dir);
    if (!simhost::installDemoPrograms(dir, kBin, &error)) {
      error_ = error;
      return false;
    }
    host_ = host;
    return true;
  }

  // Runs the command line in the package directory; its wall time, or a
  // negative number when it did not end with the expected code.
  double run(const std::string& program, int expectedCode) const {
    const std::string command = "cd '" + package_ + "' && CORVANE_SIMHOST='" + host_ + "' " + program +
                                " >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == expectedCode ? seconds : -1;
  }

 private:
  std::string root_, host_, package_, error_;
};

void BM_SilentInstallThroughThePlugin(benchmark::State& state) {
  static InstallBench bench;
  if (!bench.error().empty()) return state.SkipWithError(bench.error().c_str());
  double keelson = 0, updeck = 0;
  for (auto _ : state) {
    if (!bench.prepare()) return state.SkipWithError(bench.error().c_str());
    const double alone = bench.run("'" + kBin + "/Keelson' /s", 1);
    if (!bench.prepare()) return state.SkipWithError(bench.error().c_str());
    const double hosted = bench.run("'" + kBin + "/updeck' install --silent", 2);
    if (alone < 0) return state.SkipWithError("Keelson /s did not end with 1 (done)");
    if (hosted < 0) return state.SkipWithError("updeck install --silent did not end with 2 (installed)");
    keelson += alone;
    updeck += hosted;
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["keelson_ms"] = keelson * 1000 / iterations;
  state.counters["updeck_ms"] = updeck * 1000 / iterations;
  state.counters["overhead_pct"] = keelson > 0 ? (updeck - keelson) / keelson * 100 : 0;
}
BENCHMARK(BM_SilentInstallThroughThePlugin)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
