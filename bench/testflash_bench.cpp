// What the flash self-test (burnkit -F, --testflash) costs on a simulated
// board provisioned from a ROM image: in-process, the 1,048,576 word reads,
// 64 stored digests and MD5 of the whole flash; and the whole burnkit run
// as a process, with its adapter check.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/host.h"
#include "simhost/chip/card.h"
#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"

namespace {

// One host with a dual-port board for the whole run, its port 0 opened.
class BenchHost {
 public:
  BenchHost() {
    std::string pattern = (std::filesystem::temp_directory_path() / "testflash_bench_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) ? pattern : "";
    if (root_.empty()) return;
    simhost::HostDir dir(root_ + "/host");
    simhost::CardOrder order;
    order.name = "dual";
    order.board = 0x26;
    order.subsys = 0x01264040;
    order.ports = 2;
    order.bus = 3;
    order.imageFile = root_ + "/romimage";
    std::string error;
    if (!simhost::createHost(dir, &error) ||
        !simhost::writeSingleProductImage(order.imageFile, "4.0.593", order.board, order.subsys, order.chipRevision,
                                          &error) ||
        !simhost::addCard(dir, order, &error)) {
      error_ = error;
      return;
    }
    hostDir_ = dir.root;
    std::unique_ptr<platform::Host> sim = platform::makeSimHost(hostDir_, &error);
    if (!sim) {
      error_ = error;
      return;
    }
    platform::setHost(std::move(sim));
    uint32_t port = 0;
    if (open_adapter("Local Area Connection", &port) != 0) error_ = "the port does not open";
    card_ = simhost::Card::open(dir.cardDir("dual"), &error);
  }
  ~BenchHost() {
    close_adapter();
    card_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  const std::string& error() const { return error_; }
  const std::string& hostDir() const { return hostDir_; }
  simhost::Card& card() { return *card_; }

 private:
  std::string root_, hostDir_, error_;
  std::shared_ptr<simhost::Card> card_;
};

BenchHost& bench() {
  static BenchHost host;
  return host;
}

void BM_FlashSelfTest(benchmark::State& state) {
  if (!bench().error().empty()) return state.SkipWithError(bench().error().c_str());
  bench().card().resetStats();
  for (auto _ : state) {
    if (flash_self_test(adapter_handle()) != 0) return state.SkipWithError("the self-test failed");
  }
  simhost::CardStats stats = bench().card().stats();
  state.counters["round_trips"] =
      benchmark::Counter(static_cast<double>(stats.total), benchmark::Counter::kAvgIterations);
  state.counters["word_reads"] =
      benchmark::Counter(static_cast<double>(stats.calls[50]), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FlashSelfTest)->Unit(benchmark::kMillisecond);

// burnkit -i "Local Area Connection" -F, start to end.
void BM_TestFlashRun(benchmark::State& state) {
  if (!bench().error().empty()) return state.SkipWithError(bench().error().c_str());
  const std::string command = "CORVANE_SIMHOST='" + bench().hostDir() + "' '" CORVANE_BENCH_BIN_DIR
                              "/burnkit' -i 'Local Area Connection' -F > /dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError("burnkit -F failed");
  }
}
BENCHMARK(BM_TestFlashRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
