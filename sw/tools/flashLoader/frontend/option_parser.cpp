#include "sw/tools/flashLoader/frontend/option_parser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

bool is_option_word(const char* word) { return word[0] == '-' && word[1] != '\0'; }

// The option letter's place in the option string, or nullptr. ':' marks
// arguments and is no option.
const char* find_short(const char* shortOptions, char letter) {
  if (letter == ':' || letter == '\0') return nullptr;
  return std::strchr(shortOptions, letter);
}

// Moves the block of skipped non-option words [firstNonOption, lastNonOption)
// behind the options that followed it [lastNonOption, next), keeping the
// order within both.
void move_non_options_back(OptionScan& scan, char** argv) {
  const int bottom = scan.firstNonOption, middle = scan.lastNonOption, top = scan.next;
  std::rotate(argv + bottom, argv + middle, argv + top);
  scan.firstNonOption += top - middle;
  scan.lastNonOption = top;
}

// The long option the text names: an exact name, else the one name it is a
// prefix of. nullptr with *ambiguous when it is a prefix of several.
const LongOption* match_long(std::string_view name, std::span<const LongOption> longOptions, bool* ambiguous) {
  *ambiguous = false;
  const LongOption* found = nullptr;
  int prefixMatches = 0;
  for (const LongOption& option : longOptions) {
    std::string_view candidate(option.name);
    if (candidate == name) return &option;
    if (candidate.substr(0, name.size()) == name) {
      if (prefixMatches++ == 0) found = &option;
    }
  }
  if (prefixMatches > 1) {
    *ambiguous = true;
    return nullptr;
  }
  return found;
}

// A long option in text (the part after the dashes, up to an optional "=");
// the word at scan.next is the one being read. Returns 0 when no long name
// matches.
int take_long(OptionScan& scan, int argc, char** argv, const char* text, std::span<const LongOption> longOptions,
              bool* matched) {
  const char* equals = std::strchr(text, '=');
  std::string_view name(text, equals ? static_cast<size_t>(equals - text) : std::strlen(text));
  *matched = false;
  if (name.empty()) return 0;
  bool ambiguous = false;
  const LongOption* option = match_long(name, longOptions, &ambiguous);
  if (!option && !ambiguous) return 0;
  *matched = true;
  scan.cluster = nullptr;
  ++scan.next;
  if (ambiguous) return kOptionUnknown;
  if (!option->takesArgument) {
    if (equals) return kOptionUnknown;
    return option->value;
  }
  if (equals) {
    scan.argument = equals + 1;
  } else if (scan.next < argc) {
    scan.argument = argv[scan.next++];
  } else {
    scan.offending = option->value;
    return kOptionMissingArgument;
  }
  return option->value;
}

// One letter of a cluster of short options.
int take_short(OptionScan& scan, int argc, char** argv, const char* shortOptions) {
  const char letter = *scan.cluster++;
  const char* entry = find_short(shortOptions, letter);
  const bool lastOfWord = *scan.cluster == '\0';
  if (!entry) {
    if (lastOfWord) {
      scan.cluster = nullptr;
      ++scan.next;
    }
    return kOptionUnknown;
  }
  if (entry[1] != ':') {
    if (lastOfWord) {
      scan.cluster = nullptr;
      ++scan.next;
    }
    return letter;
  }
  // The rest of the word, or the next word, is the argument.
  ++scan.next;
  if (!lastOfWord) {
    scan.argument = scan.cluster;
  } else if (scan.next < argc) {
    scan.argument = argv[scan.next++];
  } else {
    scan.cluster = nullptr;
    scan.offending = letter;
    return kOptionMissingArgument;
  }
  scan.cluster = nullptr;
  return letter;
}

}  // namespace

int next_option(OptionScan& scan, int argc, char** argv, const char* shortOptions,
                std::span<const LongOption> longOptions) {
  if (scan.next == 0) {
    scan = OptionScan{};
    scan.next = scan.firstNonOption = scan.lastNonOption = 1;
    scan.stopAtNonOption = std::getenv("POSIXLY_CORRECT") != nullptr;
  }
  scan.argument = nullptr;

  if (scan.cluster == nullptr || *scan.cluster == '\0') {
    scan.cluster = nullptr;
    // Options found since the last skipped non-options go in front of them.
    if (scan.lastNonOption > scan.next) scan.lastNonOption = scan.next;
    if (scan.firstNonOption > scan.next) scan.firstNonOption = scan.next;
    if (!scan.stopAtNonOption) {
      if (scan.firstNonOption != scan.lastNonOption && scan.lastNonOption != scan.next)
        move_non_options_back(scan, argv);
      else if (scan.lastNonOption != scan.next)
        scan.firstNonOption = scan.next;
      while (scan.next < argc && !is_option_word(argv[scan.next])) ++scan.next;
      scan.lastNonOption = scan.next;
    }
    if (scan.next < argc && std::strcmp(argv[scan.next], "--") == 0) {
      ++scan.next;
      if (scan.firstNonOption != scan.lastNonOption && scan.lastNonOption != scan.next)
        move_non_options_back(scan, argv);
      else if (scan.firstNonOption == scan.lastNonOption)
        scan.firstNonOption = scan.next;
      scan.lastNonOption = argc;
      scan.next = argc;
    }
    if (scan.next == argc) {
      if (scan.firstNonOption != scan.lastNonOption) scan.next = scan.firstNonOption;
      return kOptionsEnd;
    }
    const char* word = argv[scan.next];
    if (!is_option_word(word)) return kOptionsEnd;  // POSIXLY_CORRECT: the scan stops here

    if (word[1] == '-') {
      bool matched = false;
      int result = take_long(scan, argc, argv, word + 2, longOptions, &matched);
      if (matched) return result;
      ++scan.next;
      return kOptionUnknown;
    }
    // "-x" with x one of the option letters is always that short option.
    if (word[2] == '\0' && find_short(shortOptions, word[1])) {
      scan.cluster = word + 1;
      return take_short(scan, argc, argv, shortOptions);
    }
    scan.cluster = word + 1;
  }

  bool matched = false;
  int result = take_long(scan, argc, argv, scan.cluster, longOptions, &matched);
  if (matched) return result;
  return take_short(scan, argc, argv, shortOptions);
}
