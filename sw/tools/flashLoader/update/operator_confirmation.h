// The question before the NIC is taken offline: "Y" or "y" and Enter goes
// on; any other first character is a refusal; a yes followed by more than
// the line end is refused as invalid, since it was not what was asked.
#pragma once

enum class Confirmation { accepted, declined, invalid };

// Prints "WARNING: This operation will take the NIC offline.\n" and the
// question (e.g. "Do you wish to upgrade? (Y/N) "), reads the answer from
// the console. A refusal prints "Aborted by user's request\n", an invalid
// answer "Invalid input by user!!!\n" (both on standard error).
Confirmation confirm_offline_operation(const char* question);
