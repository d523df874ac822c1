// What a whole upgrade costs (burnkit -i PORT -f -a IMAGE as a process, with
// the simulated host's wait scale 0): a dual-port board whose every sector
// differs from the new picture, so that all 64 sectors are erased, written
// and verified, after the backup pass. The round-trip counter is the card's
// driver call count per upgrade; cpu_ms is the user and system time of the
// process (and its shell), which a busy machine does not inflate as it does
// the wall time.
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "simhost/chip/card.h"
#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"

namespace {

class UpgradeBench {
 public:
  UpgradeBench() {
    std::string pattern = (std::filesystem::temp_directory_path() / "upgrade_bench_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) ? pattern : "";
    if (root_.empty()) return;
    simhost::HostDir dir(root_ + "/host");
    simhost::CardOrder order;
    order.name = "dual";
    order.board = 0x26;
    order.subsys = 0x01264040;
    order.ports = 2;
    order.bus = 3;
    order.firmware = "4.0.500";
    order.imageFile = root_ + "/old_romimage";
    std::string error;
    if (!simhost::createHost(dir, &error) ||
        !simhost::writeSingleProductImage(order.imageFile, order.firmware, order.board, order.subsys, order.chipRevision,
                                          &error) ||
        !simhost::addCard(dir, order, &error) ||
        !simhost::writeSingleProductImage(root_ + "/quarry_romimage", "4.0.593", order.board, order.subsys,
                                          order.chipRevision, &error)) {
      error_ = error;
      return;
    }
    hostDir_ = dir.root;
    card_ = simhost::Card::open(dir.cardDir("dual"), &error);
    if (!card_) {
      error_ = error;
      return;
    }
    // One byte changed in every sector outside the board's own areas, so
    // that no sector of the old flash equals the new picture.
    old_.assign(card_->flash().begin(), card_->flash().end());
    for (size_t s = 0; s < 64; ++s) old_[s * 0x10000 + 0x8000] ^= 0x01;
  }
  ~UpgradeBench() {
    card_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  const std::string& error() const { return error_; }
  std::string command() const {
    return "cd '" + root_ + "' && CORVANE_SIMHOST='" + hostDir_ + "' '" CORVANE_BENCH_BIN_DIR
           "/burnkit' -i 'Local Area Connection' -f -a > /dev/null 2>&1";
  }
  bool prepare() {
    for (const auto& e : std::filesystem::directory_iterator(root_))
      if (e.path().filename().string().rfind("flashbackup_", 0) == 0) std::filesystem::remove(e.path());
    std::string error;
    bool loaded = card_->loadFlashImage(old_, &error);
    card_->resetStats();
    return loaded;
  }
  simhost::Card& card() { return *card_; }

 private:
  std::string root_, hostDir_, error_;
  std::shared_ptr<simhost::Card> card_;
  std::vector<uint8_t> old_;
};

// User and system time of every child waited for so far, in milliseconds.
double childrenCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void BM_WholeBoardUpgrade(benchmark::State& state) {
  static UpgradeBench bench;
  if (!bench.error().empty()) return state.SkipWithError(bench.error().c_str());
  double roundTrips = 0, wordReads = 0, wordWrites = 0, cpuMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!bench.prepare()) return state.SkipWithError("the old flash does not load");
    const double cpuBefore = childrenCpuMs();
    state.ResumeTiming();
    if (std::system(bench.command().c_str()) != 0) return state.SkipWithError("the upgrade failed");
    state.PauseTiming();
    cpuMs += childrenCpuMs() - cpuBefore;
    simhost::CardStats stats = bench.card().stats();
    roundTrips += static_cast<double>(stats.total);
    wordReads += static_cast<double>(stats.calls[50]);
    wordWrites += static_cast<double>(stats.calls[51]);
    state.ResumeTiming();
  }
  state.counters["round_trips"] = benchmark::Counter(roundTrips, benchmark::Counter::kAvgIterations);
  state.counters["word_reads"] = benchmark::Counter(wordReads, benchmark::Counter::kAvgIterations);
  state.counters["word_writes"] = benchmark::Counter(wordWrites, benchmark::Counter::kAvgIterations);
  state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WholeBoardUpgrade)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
