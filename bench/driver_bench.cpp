// What one driver round trip costs the flash tool on the simulated host: a
// fresh zeroed request record, DeviceIoControl through the port's channel,
// the simulated driver and chip. A full flash pass is 1,048,576 of them.
//
// BM_Tool* go the tool's own way (its request builder and CvDeviceIoControl,
// through the platform channel into the simulated driver); BM_CallFloor is
// the same way into a channel that answers at once, the floor any driver
// call pays in-process. Compare their medians of one run:
//   driver_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/simhost/driver_channel_sim.h"
#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"
#include "simhost/chip/flash_geometry.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/driver_request.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/register_access.h"

namespace {

using simhost::DriverRequest;

// One card in a temporary host for the whole run.
class BenchCard {
 public:
  BenchCard() {
    std::string pattern = (std::filesystem::temp_directory_path() / "driver_bench_XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) ? pattern : "";
    simhost::CardConfig config;
    config.name = "bench";
    config.board = 0x26;
    config.subsys = 0x01264040;
    config.bus = 5;
    config.boardTypeRegister = 0x26;
    config.ports = {{0, 0, "{11111111-2222-3333-4444-555555555550}"}};
    std::string error;
    card_ = simhost::Card::create(root_ + "/cards/bench", config, {}, {}, &error);
    if (card_) channel_ = platform::makePortChannel(card_, 0);
  }
  ~BenchCard() {
    channel_.reset();
    card_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  bool ready() const { return channel_ != nullptr; }
  simhost::Card& card() { return *card_; }

  // A tool handle on the card's port 0, as opening the adapter gives it.
  DeviceHandle toolHandle() {
    auto object = std::make_shared<DeviceObject>();
    object->channel = platform::makePortChannel(card_, 0);
    return object;
  }

  // The flash tool's pattern: build a zeroed record, fill it, one call.
  uint32_t call(uint32_t command, uint32_t address) {
    DriverRequest r{};
    r.command = command;
    r.address = address;
    r.length = 4;
    r.signature = simhost::kStandardSignature;
    uint32_t oid = simhost::kOidStandardRequest;
    uint32_t returned = 0;
    if (!channel_->ioControl(simhost::kIoctlQueryGlobalStats, &oid, sizeof oid, &r, sizeof r, &returned)) return 0;
    return static_cast<uint32_t>(r.data);
  }

 private:
  std::string root_;
  std::shared_ptr<simhost::Card> card_;
  std::unique_ptr<platform::DriverChannel> channel_;
};

BenchCard& bench() {
  static BenchCard card;
  return card;
}

// Flash access is done under the ROM semaphore, as the tool does it.
class Semaphore {
 public:
  Semaphore() { bench().call(simhost::kCmdRegisterRead, simhost::kRegRomSemaphoreTake); }
  ~Semaphore() { bench().call(simhost::kCmdRegisterRead, simhost::kRegRomSemaphoreRelease); }
};

void BM_RegisterRead(benchmark::State& state) {
  if (!bench().ready()) return state.SkipWithError("no card");
  for (auto _ : state) benchmark::DoNotOptimize(bench().call(simhost::kCmdRegisterRead, simhost::kRegBoardType));
}
BENCHMARK(BM_RegisterRead);

void BM_FlashWordRead(benchmark::State& state) {
  if (!bench().ready()) return state.SkipWithError("no card");
  Semaphore held;
  uint32_t offset = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench().call(simhost::kCmdFlashRead, offset));
    offset = (offset + 4) & (simhost::kFlashSize - 1);
  }
}
BENCHMARK(BM_FlashWordRead);

// The same with one fault rule that never matches: the cost of looking.
void BM_FlashWordReadWithFaultRule(benchmark::State& state) {
  if (!bench().ready()) return state.SkipWithError("no card");
  simhost::FaultRule rule;
  rule.action = simhost::FaultAction::kFail;
  rule.command = simhost::kCmdDriverVersion;
  if (!bench().card().addFaultRule(rule, nullptr)) return state.SkipWithError("rule not added");
  {
    Semaphore held;
    uint32_t offset = 0;
    for (auto _ : state) {
      benchmark::DoNotOptimize(bench().call(simhost::kCmdFlashRead, offset));
      offset = (offset + 4) & (simhost::kFlashSize - 1);
    }
  }
  bench().card().clearFaultRules(nullptr);
}
BENCHMARK(BM_FlashWordReadWithFaultRule);

// The tool's register and flash word reads, as the upgrade makes them.
void BM_ToolRegisterRead(benchmark::State& state) {
  if (!bench().ready()) return state.SkipWithError("no card");
  const DeviceHandle handle = bench().toolHandle();
  for (auto _ : state) benchmark::DoNotOptimize(cvm_ppd_read(handle, simhost::kRegBoardType));
}
BENCHMARK(BM_ToolRegisterRead);

void BM_ToolFlashWordRead(benchmark::State& state) {
  if (!bench().ready()) return state.SkipWithError("no card");
  const DeviceHandle handle = bench().toolHandle();
  Semaphore held;
  uint32_t offset = 0, word = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(read_flash_word(handle, offset, &word));
    offset = (offset + 4) & (simhost::kFlashSize - 1);
  }
}
BENCHMARK(BM_ToolFlashWordRead);

// A driver that answers every request at once: what is left is the tool's
// request, its call through the platform channel and the answer's check.
class AnsweringChannel final : public platform::DriverChannel {
 public:
  bool ioControl(uint32_t, const void*, uint32_t, void* out, uint32_t outSize, uint32_t* bytesReturned) override {
    if (outSize < kDriverRequestSize) return false;  // no vendor version: the standard dialect
    static_cast<::DriverRequest*>(out)->status = kDriverStatusDone;
    *bytesReturned = kDriverRequestSize;
    return true;
  }
  platform::WinError lastError() const override { return platform::kErrorSuccess; }
};

void BM_CallFloor(benchmark::State& state) {
  auto object = std::make_shared<DeviceObject>();
  object->channel = std::make_unique<AnsweringChannel>();
  const DeviceHandle handle = object;
  uint32_t offset = 0, word = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(read_flash_word(handle, offset, &word));
    offset = (offset + 4) & (simhost::kFlashSize - 1);
  }
}
BENCHMARK(BM_CallFloor);

void BM_FullFlashRead(benchmark::State& state) {
  if (!bench().ready()) return state.SkipWithError("no card");
  Semaphore held;
  for (auto _ : state) {
    uint32_t sum = 0;
    for (uint32_t offset = 0; offset < simhost::kFlashSize; offset += 4)
      sum += bench().call(simhost::kCmdFlashRead, offset);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * (simhost::kFlashSize / 4));
}
BENCHMARK(BM_FullFlashRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
