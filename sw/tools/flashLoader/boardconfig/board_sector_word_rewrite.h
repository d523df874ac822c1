// A setting kept in one user-area word, changed by a safe rewrite of the
// board sector (a bit that must become 1 needs an erase; one that becomes 0
// goes the same way, so that the sector's digest is sealed with it).
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Reads the board sector, replaces the user-area word at userOffset and
// rewrites the sector with its digest; the caller has unprotected the
// flash. 0; 12 when the sector could not be read (nothing erased);
// failureCode after failureLine when the sector could not be written as
// meant; 13 when its digest could not be sealed (the sector is put back as
// it was in both cases when it can be); 16 when the sector's copy could not
// be saved (nothing erased).
int rewrite_user_area_word(const DeviceHandle& handle, uint32_t userOffset, uint32_t value, const char* failureLine,
                           int failureCode);
