// The tool's own long-option parser. Short options come from an option
// string (a letter followed by ':' takes an argument); long options from a
// table, each returning its own value. A single-dash word may name a long
// option too (-info, or a unique prefix such as -t); when it names none it is
// a cluster of short options, and the rest of a cluster is again tried as a
// long name first. Non-option words are moved behind the options unless
// POSIXLY_CORRECT is set, which stops the scan at the first of them. The
// parser prints nothing: '?' reports an unknown or ambiguous option, ':' a
// missing argument.
#pragma once

#include <span>

struct LongOption {
  const char* name;
  bool takesArgument;
  int value;  // what the parser returns for it
};

struct OptionScan {
  int next = 0;                    // index of the next word; 0 before the first call
  const char* argument = nullptr;  // the argument of the option just returned
  int offending = 0;               // the option whose argument is missing (its letter or value)

  // Inside the scan.
  const char* cluster = nullptr;  // the rest of a cluster of short options
  bool stopAtNonOption = false;   // POSIXLY_CORRECT
  int firstNonOption = 0;         // the non-option words skipped so far
  int lastNonOption = 0;
};

inline constexpr int kOptionsEnd = -1;
inline constexpr int kOptionUnknown = '?';
inline constexpr int kOptionMissingArgument = ':';

// The next option of argv, or kOptionsEnd; afterwards scan.next is the index
// of the first non-option word. argv's words may be reordered.
int next_option(OptionScan& scan, int argc, char** argv, const char* shortOptions,
                std::span<const LongOption> longOptions);
