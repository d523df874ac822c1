// The component log's fixed texts: severity prefixes, trace headers, the
// session header and footer, and the time and date as the log shows them.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace brightwell {

inline constexpr char16_t kVerboseHeader[] =
    u"===========================================================================\r\n"
    u"Source:          %s\r\nVersion:         %s\r\nStub Version:    %s\r\nLog Date:        %s\r\n\r\n"
    u"Verbose Log Session Start ...\r\n\r\n";
inline constexpr char16_t kMainHeader[] =
    u"===========================================================================\r\n"
    u"Source:          %s\r\nVersion:         %s\r\nLog Date:        %s\r\n\r\nLog Session Start...\r\n\r\n";
inline constexpr char16_t kFooter[] =
    u"\r\n\r\nLog Session End. [%s]\r\nReturn Code (%d)\r\n"
    u"===========================================================================\r\n\r\n";

// The prefix of a main-log line or of a verbose line without header: empty
// for severity 0 and for any severity outside 0 to 3.
const char16_t* severityPrefix(int32_t severity);
// The "[time]::source[line] " header for a severity, null outside 0 to 3.
const char16_t* headerFormat(int32_t severity);

// The local time, 24-hour, without a time marker ("14:05:09"), and the
// short date ("12/10/2026"), as the system default locale of the server
// writes them.
std::u16string logTimeText(const std::tm& time);
std::u16string logDateText(const std::tm& date);

// The program that hosts the library: its file name with extension and its
// file version "%d.%d.%d.%d" (empty when it has none).
struct HostProgram {
  std::u16string name;
  std::u16string version;
};
HostProgram hostProgram();

}  // namespace brightwell
