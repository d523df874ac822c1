// The localized messages of the install state, by language code.
#pragma once

#include <string_view>

namespace brightwell {

enum class StateMessage { SystemNotSupported, NotEnoughDiskSpace, RemovalPending };

// "fr" 1, "it" 2, "de" 3, "es" 4, "ja" 5 (any letter case), anything else 0.
int languageIndex(std::u16string_view language);
const char16_t* stateMessage(StateMessage which, std::u16string_view language);

}  // namespace brightwell
