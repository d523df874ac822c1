#include "simhost/chip/card.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "simhost/chip/card_files.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/flash_geometry.h"
#include "simhost/chip/process_identity.h"
#include "simhost/machine/files.h"
#include "simhost/machine/json_util.h"

namespace simhost {

namespace {

std::string bytesOf(const void* data, size_t size) {
  return std::string(static_cast<const char*>(data), size);
}

}  // namespace

Card::Card(std::string dir, CardConfig config, std::unique_ptr<MappedFile> flash, std::unique_ptr<MappedFile> chip)
    : dir_(std::move(dir)),
      config_(std::move(config)),
      flash_(std::move(flash)),
      chip_(std::move(chip)),
      flashBytes_(flash_->data()),
      state_(reinterpret_cast<ChipState*>(chip_->data())),
      portCount_(static_cast<int>(config_.ports.size())),
      violations_(violationsPath(dir_)) {}

std::shared_ptr<Card> Card::create(const std::string& cardDir, const CardConfig& config,
                                   const std::map<uint32_t, uint32_t>& initialRegisters,
                                   std::span<const uint8_t> flashImage, std::string* error) {
  std::string problem;
  if (!validateCardConfig(config, &problem)) {
    if (error) *error = cardJsonPath(cardDir) + ": " + problem;
    return nullptr;
  }
  if (!flashImage.empty() && flashImage.size() != kFlashSize) {
    if (error) *error = flashPath(cardDir) + ": the image is " + std::to_string(flashImage.size()) +
                        " bytes long, expected " + std::to_string(kFlashSize);
    return nullptr;
  }
  if (!makeDirectories(cardDir, error)) return nullptr;

  std::string flash = flashImage.empty() ? std::string(kFlashSize, static_cast<char>(kFlashErasedByte))
                                         : bytesOf(flashImage.data(), flashImage.size());
  auto chip = std::make_unique<ChipState>();
  initChipState(chip.get());
  for (size_t i = 0; i < config.ports.size(); ++i) chip->portMode[i] = static_cast<uint32_t>(PortMode::kNormal);
  registerStore(*chip, kRegSubsystem, config.subsys);

  if (!saveCardConfig(cardJsonPath(cardDir), config, error) || !writeFileAtomic(flashPath(cardDir), flash, error) ||
      !writeFileAtomic(chipPath(cardDir), bytesOf(chip.get(), sizeof *chip), error) ||
      !saveFaultRules(faultsPath(cardDir), {}, error))
    return nullptr;

  std::shared_ptr<Card> card = open(cardDir, error);
  if (!card) return nullptr;
  card->publishRunningFirmware();
  for (const auto& [address, value] : initialRegisters) {
    if (!card->pokeRegister(address, value)) {
      if (error) *error = chipPath(cardDir) + ": register " + hexText(address, 8) + " cannot be set";
      return nullptr;
    }
  }
  return card;
}

std::shared_ptr<Card> Card::open(const std::string& cardDir, std::string* error) {
  CardConfig config;
  if (!loadCardConfig(cardJsonPath(cardDir), &config, error)) return nullptr;
  std::unique_ptr<MappedFile> flash = MappedFile::open(flashPath(cardDir), kFlashSize, error);
  if (!flash) return nullptr;
  std::unique_ptr<MappedFile> chip = MappedFile::open(chipPath(cardDir), sizeof(ChipState), error);
  if (!chip) return nullptr;
  if (!chipStateValid(*reinterpret_cast<const ChipState*>(chip->data()))) {
    if (error) *error = chipPath(cardDir) + ": is not a chip state file of this version";
    return nullptr;
  }
  return std::shared_ptr<Card>(new Card(cardDir, std::move(config), std::move(flash), std::move(chip)));
}

bool Card::check(const std::string& cardDir, std::string* error) {
  CardConfig config;
  if (!loadCardConfig(cardJsonPath(cardDir), &config, error) ||
      !MappedFile::check(flashPath(cardDir), kFlashSize, error) ||
      !MappedFile::check(chipPath(cardDir), sizeof(ChipState), error))
    return false;
  uint8_t header[kChipStateHeaderSize] = {};
  std::FILE* chip = std::fopen(chipPath(cardDir).c_str(), "rb");
  const bool read = chip && std::fread(header, 1, sizeof header, chip) == sizeof header;
  if (chip) std::fclose(chip);
  if (!read || !chipStateHeaderValid(header)) {
    if (error) *error = chipPath(cardDir) + ": is not a chip state file of this version";
    return false;
  }
  return true;
}

uint32_t Card::flashWord(uint32_t offset) const {
  uint32_t word = kFlashErasedWord;
  if (offset <= kFlashSize - kFlashWordSize) std::memcpy(&word, flashBytes_ + offset, sizeof word);
  return word;
}

bool Card::loadFlashImage(std::span<const uint8_t> image, std::string* error) {
  if (image.size() != kFlashSize) {
    if (error) *error = "a flash image must be " + std::to_string(kFlashSize) + " bytes long, not " +
                        std::to_string(image.size());
    return false;
  }
  std::memcpy(flashBytes_, image.data(), image.size());
  return true;
}

uint32_t Card::peekRegister(uint32_t address) const {
  switch (address) {
    case kRegRomSemaphoreTake:
    case kRegRomSemaphoreRelease:
      return 0;
    case kRegSpiControllerStatus:
      return loadShared(state_->spiControllerStatus);
    case kRegSpiOpcode:
      return loadShared(state_->spiOpcode);
    case kRegSpiAddress:
      return loadShared(state_->spiAddress);
    case kRegSpiWriteData:
      return loadShared(state_->spiWriteData);
    case kRegSpiAddressBytes:
      return loadShared(state_->spiAddressBytes);
    case kRegSpiReadData:
      return loadShared(state_->spiReadData);
    default: {
      uint32_t value = 0;
      registerLoad(*state_, address, &value);
      return value;
    }
  }
}

bool Card::pokeRegister(uint32_t address, uint32_t value) {
  switch (address) {
    case kRegRomSemaphoreTake:
    case kRegRomSemaphoreRelease:
      return false;
    case kRegSpiControllerStatus:
      storeShared(state_->spiControllerStatus, value);
      return true;
    case kRegSpiOpcode:
      storeShared(state_->spiOpcode, value);
      return true;
    case kRegSpiAddress:
      storeShared(state_->spiAddress, value);
      return true;
    case kRegSpiWriteData:
      storeShared(state_->spiWriteData, value);
      return true;
    case kRegSpiAddressBytes:
      storeShared(state_->spiAddressBytes, value);
      return true;
    case kRegSpiReadData:
      storeShared(state_->spiReadData, value);
      return true;
    default:
      return registerStore(*state_, address, value);
  }
}

SemaphoreState Card::semaphore() const {
  uint64_t word = loadShared(state_->semaphore);
  return {(word & kSemaphoreHeld) != 0, static_cast<int32_t>(word & 0xFFFFFFFF)};
}

void Card::setSemaphore(SemaphoreState s) {
  storeShared(state_->semaphore, s.held ? kSemaphoreHeld | static_cast<uint32_t>(s.holder) : uint64_t{0});
}

uint8_t Card::flashStatus() const {
  uint32_t status = loadShared(state_->flashStatus);
  if (loadShared(state_->busyPolls) > 0) status |= kFlashStatusBusy;
  return static_cast<uint8_t>(status);
}

void Card::setFlashStatus(uint8_t status) {
  storeShared(state_->flashStatus, static_cast<uint32_t>(status & ~kFlashStatusBusy));
}

namespace {

int indexOfPort(const CardConfig& config, int port) {
  for (size_t i = 0; i < config.ports.size(); ++i)
    if (static_cast<int>(config.ports[i].port) == port) return static_cast<int>(i);
  return -1;
}

}  // namespace

bool Card::stopPort(int port) {
  int i = indexOfPort(config_, port);
  if (i < 0) return false;
  storeShared(state_->portMode[i], static_cast<uint32_t>(PortMode::kStopped));
  return true;
}

bool Card::startPort(int port, bool quiescent) {
  int i = indexOfPort(config_, port);
  if (i < 0) return false;
  if (quiescent) {
    registerStore(*state_, kRegBoardType, kBoardTypeUnpublished);
    storeShared(state_->portMode[i], static_cast<uint32_t>(PortMode::kQuiescent));
  } else {
    publishRunningFirmware();
    storeShared(state_->portMode[i], static_cast<uint32_t>(PortMode::kNormal));
  }
  return true;
}

PortMode Card::portMode(int port) const {
  int i = indexOfPort(config_, port);
  if (i < 0) return PortMode::kStopped;
  return static_cast<PortMode>(loadShared(state_->portMode[i]));
}

void Card::publishRunningFirmware() {
  uint32_t version = flashWord(kFlashFirmwareVersionOffset);
  if (version != kFlashErasedWord) {
    registerStore(*state_, kRegFirmwareMajor, version & 0xFF);
    registerStore(*state_, kRegFirmwareMinor, (version >> 8) & 0xFF);
    registerStore(*state_, kRegFirmwareBuild, version >> 16);
  }
  registerStore(*state_, kRegBoardType, config_.boardTypeRegister);
}

int Card::openPort(int port) {
  int i = indexOfPort(config_, port);
  if (i < 0) return -1;
  if (!watched_.exchange(true)) watchSemaphoreAtExit(dir_, config_.name);
  return i;
}

void Card::countCall(uint32_t command) {
  uint64_t& counter = command < kCountedCommands ? state_->commandCalls[command] : state_->otherCommandCalls;
  std::atomic_ref<uint64_t>(counter).fetch_add(1, std::memory_order_relaxed);
}

CardStats Card::stats() const {
  CardStats stats;
  for (uint32_t command = 0; command < kCountedCommands; ++command) {
    uint64_t n = loadShared(state_->commandCalls[command]);
    if (n == 0) continue;
    stats.calls[command] = n;
    stats.total += n;
  }
  stats.total += loadShared(state_->otherCommandCalls);
  return stats;
}

void Card::resetStats() {
  for (uint64_t& n : state_->commandCalls) storeShared(n, uint64_t{0});
  storeShared(state_->otherCommandCalls, uint64_t{0});
}

}  // namespace simhost
