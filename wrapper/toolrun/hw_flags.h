// The hardware flags of one adapter as the flash tool's board information
// shows them.
#pragma once

#include <cstddef>
#include <string>

namespace keelson {

inline constexpr int kHwFlagsClear = 0;
inline constexpr int kHwFlagsSet = 3;
inline constexpr int kHwFlagsUnknown = 9;

// Runs "--info" for the adapter at index (of the run's adapter list) with its
// output captured in "hwflagStatus.dat", reads the capture and deletes it.
// 0 clear, 3 set, 9 not determined (also for an index out of the list).
int readHwFlags(size_t adapterIndex);

// The reading alone: the first deciding line of the capture file; 9 when
// none decides or the file cannot be read.
int parseHwFlagCapture(const std::string& path);

}  // namespace keelson
