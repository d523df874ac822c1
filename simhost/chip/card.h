// One adapter card of the simulated host, DIR/cards/NAME: its static facts
// (card.json), its flash (flash.bin) and its chip (chip.bin), both mapped
// shared so that every process of the host sees one card, and the NIC driver
// that answers the DeviceIoControl requests sent to its ports.
//
// One Card per process and card directory is enough; channels share it.
// Calls may come from several threads and processes at once: the chip's
// state is only touched atomically, word by word, as on the real part, and
// the ROM semaphore is what serialises multi-step sequences.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "simhost/chip/card_config.h"
#include "simhost/chip/card_stats.h"
#include "simhost/chip/chip_state.h"
#include "simhost/chip/fault_rules.h"
#include "simhost/chip/mapped_file.h"
#include "simhost/chip/protocol_checker.h"

namespace simhost {

struct FaultRuleStatus {
  FaultRule rule;
  uint64_t matched = 0;
  uint64_t fired = 0;
};

struct SemaphoreState {
  bool held = false;
  int32_t holder = 0;  // process id; 0 = an owner outside this host's processes
};

class Card {
 public:
  // Writes a new card into cardDir (created if needed): card.json, flash.bin
  // from flashImage (exactly 4 MiB; empty = erased), a fresh chip with every
  // port running normally, no fault rules. The registers start with what a
  // running driver publishes (board type, subsystem, firmware version found
  // in flash), then initialRegisters on top.
  static std::shared_ptr<Card> create(const std::string& cardDir, const CardConfig& config,
                                      const std::map<uint32_t, uint32_t>& initialRegisters,
                                      std::span<const uint8_t> flashImage, std::string* error);
  static std::shared_ptr<Card> open(const std::string& cardDir, std::string* error);
  // Whether open would succeed, with the same error, without mapping the
  // card's files: what a host's check asks of every card it will not use.
  static bool check(const std::string& cardDir, std::string* error);

  Card(const Card&) = delete;
  Card& operator=(const Card&) = delete;

  const std::string& dir() const { return dir_; }
  const CardConfig& config() const { return config_; }

  // ---- flash, as the tools see it (no protocol rules apply) ----
  std::span<const uint8_t> flash() const { return {flashBytes_, flash_->size()}; }
  uint32_t flashWord(uint32_t offset) const;  // little-endian; offset < 4 MiB - 3
  bool loadFlashImage(std::span<const uint8_t> image, std::string* error);

  // ---- chip state without side effects (tools and tests) ----
  // The semaphore registers peek as 0 (see semaphore()); the controller's
  // registers show their latched values.
  uint32_t peekRegister(uint32_t address) const;
  // False when the address is a semaphore register or the register file is full.
  bool pokeRegister(uint32_t address, uint32_t value);
  SemaphoreState semaphore() const;
  void setSemaphore(SemaphoreState state);
  uint8_t flashStatus() const;  // the status register as a status read shows it now
  void setFlashStatus(uint8_t status);

  // ---- driver restarts (device state changes of the card's functions) ----
  // Unknown port numbers are ignored (false).
  bool stopPort(int port);
  // Quiescent: the driver leaves the flash to the tool and withdraws the
  // board type. Normal: the running-firmware registers take the version now
  // in flash and the board type is published again.
  bool startPort(int port, bool quiescent);
  PortMode portMode(int port) const;  // kStopped for unknown ports

  // ---- the driver ----
  // The index of a port for deviceIoControl, -1 when the card has no such
  // port. From the first open on, the process is watched for leaving the ROM
  // semaphore held when it ends.
  int openPort(int port);
  // One DeviceIoControl on the port's device object. False with *error on a
  // failed call; a performed request answers in the record (status, data).
  bool deviceIoControl(int portIndex, uint32_t controlCode, const void* in, uint32_t inSize, void* out,
                       uint32_t outSize, uint32_t* bytesReturned, platform::WinError* error);

  // ---- stats ----
  CardStats stats() const;
  void resetStats();

  // ---- fault injection ----
  // A kill rule without times fires once (a power cut happens once); a
  // lock-held rule without cmd, after or offset applies at once, and once.
  bool addFaultRule(FaultRule rule, std::string* error);
  bool clearFaultRules(std::string* error);
  bool faultRules(std::vector<FaultRuleStatus>* rules, std::string* error) const;
  // Asked on every device state change of this card's functions: true when a
  // reboot fault fires for this one.
  bool takeRebootFault();

 private:
  struct FaultEffects {
    bool fail = false;
    bool ffff = false;
    bool bitflip = false;
    bool timeout = false;
  };
  struct CallSite {
    uint32_t command = 0;
    bool instruction = false;  // a write of the controller's opcode register
    bool hasOffset = false;
    uint64_t offset = 0;
  };

  Card(std::string dir, CardConfig config, std::unique_ptr<MappedFile> flash, std::unique_ptr<MappedFile> chip);

  // driver (card_driver.cpp)
  void execute(int portIndex, uint32_t command, uint8_t* record, const FaultEffects& effects);
  uint32_t registerRead(uint32_t address);
  void registerWrite(uint32_t address, uint32_t value, bool instructionNeverCompletes);
  uint32_t flashRead(uint64_t offset);
  uint32_t flashWrite(uint64_t offset, uint32_t value, bool flipBit);
  void countCall(uint32_t command);
  // False (and a violation logged) unless the caller may touch the flash.
  bool checkSemaphore(uint32_t command, uint64_t offset, const char* access);
  void violation(uint32_t command, uint64_t offset, const std::string& what);
  void publishRunningFirmware();

  // SPI flash controller (card_controller.cpp)
  void runInstruction(uint8_t opcode, bool neverCompletes);
  uint32_t writeStatusRegister(uint32_t status);
  uint32_t eraseSector(uint32_t status);
  uint32_t readStatusRegister(uint32_t status);

  // faults (card_faults.cpp)
  FaultEffects applyFaults(uint32_t command, const uint8_t* record);
  void refreshFaultRules();
  bool fire(size_t slot, const FaultRule& rule);
  void holdForForeignOwner(uint32_t owner);
  [[noreturn]] void powerCut();

  std::string dir_;
  CardConfig config_;
  std::unique_ptr<MappedFile> flash_;
  std::unique_ptr<MappedFile> chip_;
  uint8_t* flashBytes_;
  ChipState* state_;
  int portCount_;

  std::mutex faultMutex_;
  uint64_t faultGeneration_ = UINT64_MAX;  // of the rules below; none loaded yet
  std::vector<FaultRule> faultRules_;

  ViolationLog violations_;
  std::atomic<bool> watched_{false};
};

}  // namespace simhost
