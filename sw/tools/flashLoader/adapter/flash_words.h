// One flash word through the driver (commands 50 and 51). These take no ROM
// lock: the caller holds it, and uses them instead of the locked operations
// so that the lock is taken once per operation.
#pragma once

#include <cstdint>
#include <span>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// The word at a flash byte offset. 0 and *word; -1 when the call failed
// (after "IO CONTROL FAILED = 0x%x \n") or the driver answered 0xFFFFFFFF
// (silently). *word is what the answer carried either way.
int read_flash_word(const DeviceHandle& handle, uint32_t offset, uint32_t* word);

// Consecutive words from a flash offset. 0, or -1 at the first word that
// failed.
int read_flash_words(const DeviceHandle& handle, uint32_t offset, std::span<uint32_t> words);

// Writes one word (NOR: only bits set in the flash can be cleared). The
// answer's status word, or -1 after "ERROR cvm_ppd_write ioctl failed ret =
// %d \n" when the call failed; a status of 0xFFFFFFFF reads as -1 too.
int write_word(const DeviceHandle& handle, uint32_t offset, uint32_t value);

// Consecutive words to a flash offset, skipping the erased value when asked
// (the sector was erased before). progress (may be null) is told after each
// word. 0, or -1 at the first failed word.
int write_flash_words(const DeviceHandle& handle, uint32_t offset, std::span<const uint32_t> words,
                      bool skipErased, void (*progress)(size_t done, size_t total) = nullptr);
