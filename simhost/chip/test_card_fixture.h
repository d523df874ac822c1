// Test helpers: a card in a temporary host directory, and a driver client
// that sends requests the way the flash tool does.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"
#include "simhost/chip/flash_geometry.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_dir.h"

namespace simhost::testing {

class TempHost {
 public:
  TempHost() {
    std::string pattern = (std::filesystem::temp_directory_path() / "chip_test_XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    root_ = ::mkdtemp(buffer.data()) ? buffer.data() : "";
  }
  ~TempHost() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  HostDir host() const { return HostDir(root_); }
  std::string cardDir(const std::string& name = "card0") const { return host().cardDir(name); }

 private:
  std::string root_;
};

inline CardConfig testConfig(DriverDialect dialect = DriverDialect::kStandard) {
  CardConfig c;
  c.name = "card0";
  c.board = 0x26;
  c.subsys = 0x01264040;
  c.chipRevision = 0x42;
  c.efuse = 0x0123456789ABCDEFull;
  c.driverVersion = 0x04000251;
  c.dialect = dialect;
  c.bus = 5;
  c.boardTypeRegister = 0x26;
  c.ports = {{0, 0, "{11111111-2222-3333-4444-555555555550}"}, {1, 1, "{11111111-2222-3333-4444-555555555551}"}};
  return c;
}

inline std::shared_ptr<Card> makeCard(const TempHost& host, const CardConfig& config = testConfig(),
                                      std::vector<uint8_t> flash = {}) {
  std::string error;
  std::shared_ptr<Card> card = Card::create(host.cardDir(config.name), config, {}, flash, &error);
  EXPECT_TRUE(card) << error;
  return card;
}

inline std::string violationsText(const TempHost& host, const std::string& card = "card0") {
  std::string text;
  readFile(host.cardDir(card) + "/violations.log", &text, nullptr);
  return text;
}

// Speaks to one port like the flash tool: a fresh zeroed record per call, in
// the card's dialect.
class DriverClient {
 public:
  explicit DriverClient(std::shared_ptr<Card> card, int port = 0) : card_(std::move(card)) {
    index_ = card_->openPort(port);
    alternate_ = card_->config().dialect == DriverDialect::kAlternate;
  }

  // False when the call itself failed (error() says why).
  bool call(uint32_t command, uint64_t address, uint64_t data, DriverRequest* answer) {
    std::memset(answer, 0, sizeof *answer);
    answer->command = alternate_ ? alternateCommandNumber(command) : command;
    answer->address = address;
    answer->length = 4;
    answer->data = data;
    answer->signature = alternate_ ? kAlternateSignature : kStandardSignature;
    uint32_t oid = alternate_ ? kOidAlternateRequest : kOidStandardRequest;
    uint32_t returned = 0;
    return card_->deviceIoControl(index_, kIoctlQueryGlobalStats, &oid, sizeof oid, answer, sizeof *answer,
                                  &returned, &error_);
  }

  uint32_t read(uint32_t reg) {
    DriverRequest r;
    return call(kCmdRegisterRead, reg, 0, &r) ? static_cast<uint32_t>(r.data) : 0;
  }
  void write(uint32_t reg, uint32_t value) {
    DriverRequest r;
    call(kCmdRegisterWrite, reg, value, &r);
  }
  // Status of a flash word read; *word gets the data.
  uint32_t flashRead(uint64_t offset, uint32_t* word) {
    DriverRequest r;
    if (!call(kCmdFlashRead, offset, 0, &r)) return kStatusFailed;
    *word = static_cast<uint32_t>(r.data);
    return r.status;
  }
  uint32_t flashWrite(uint64_t offset, uint32_t value) {
    DriverRequest r;
    if (!call(kCmdFlashWrite, offset, value, &r)) return kStatusFailed;
    return r.status;
  }

  bool takeSemaphore() { return read(kRegRomSemaphoreTake) != 0; }
  void releaseSemaphore() { read(kRegRomSemaphoreRelease); }

  // Controller sequences.
  bool instruction(uint8_t opcode) {
    write(kRegSpiOpcode, opcode);
    return (read(kRegSpiControllerStatus) & kSpiInstructionDone) != 0;
  }
  uint32_t readStatus() {
    instruction(kSpiReadStatus);
    return read(kRegSpiReadData);
  }
  void writeEnable() {
    write(kRegSpiAddressBytes, 0);
    instruction(kSpiWriteEnable);
  }
  void writeStatus(uint32_t value) {
    writeEnable();
    write(kRegSpiWriteData, value);
    instruction(kSpiWriteStatus);
  }
  // Polls until not busy; returns how many polls showed busy.
  int waitNotBusy() {
    int busy = 0;
    while (readStatus() & kFlashStatusBusy) ++busy;
    return busy;
  }
  void eraseSector(uint32_t offset, bool enable = true) {
    if (enable) writeEnable();
    write(kRegSpiAddress, offset);
    write(kRegSpiAddressBytes, 3);
    instruction(kSpiSectorErase);
    waitNotBusy();
  }

  platform::WinError error() const { return error_; }
  int index() const { return index_; }

 private:
  std::shared_ptr<Card> card_;
  int index_ = -1;
  bool alternate_ = false;
  platform::WinError error_ = 0;
};

// Runs body in a child process; returns its wait status.
inline int runChild(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

}  // namespace simhost::testing
