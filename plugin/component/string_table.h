// The component's resource string table, in six language variants; the
// variant is chosen by the user interface language as the platform's
// resource loader does it (English when there is no variant of its own).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brightwell {

// Every lookup reads into a buffer of this many characters.
inline constexpr size_t kStringBufferChars = 1024;

enum class StringVariant { English, German, Spanish, Italian, French, Japanese };

// The variant for a language tag ("de", "ja-JP", "fr-BE", ...); letter case
// does not matter.
StringVariant variantOf(std::string_view uiLanguage);

// The text of a string id in a variant; empty for an id the table lacks.
std::u16string_view resourceString(uint32_t id, StringVariant variant);

// resourceString in the variant of the platform's UI language.
std::u16string_view loadString(uint32_t id);

}  // namespace brightwell
