// What the update manager asks for, read from its own command line: the
// tokens are case-sensitive substrings anywhere in the line (a path holding
// "/D" counts as a discovery token), and the value of a discovery or upgrade
// request is the whole rest of the line after its token.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brightwell {

enum class HostRequest { Install, Discovery, UpgradeFromReport, VersionReport };

// The module-wide option value buffer holds 260 characters, zero included.
inline constexpr size_t kOptionValueChars = 260;

// The report file of a version report when the command line names none.
inline constexpr char16_t kDefaultVersionReportFile[] = u"NICFWVersion.xml";

bool hasForceToken(std::u16string_view line);
bool hasDiscoveryToken(std::u16string_view line);
bool hasUpgradeToken(std::u16string_view line);
// "/V" or "/v", not counting one that starts the framework's "/verbose_log"
// (any letter case).
bool hasVersionReportToken(std::u16string_view line);

// Discovery wins over upgrade from a report, which wins over the version
// report, which wins over the plain install.
HostRequest requestOf(std::u16string_view line);

// The value after the first token of the request's group that is present:
// leading blanks skipped, the rest of the line, at most 259 characters.
// Empty for Install or when the group's tokens are absent.
std::u16string optionValue(std::u16string_view line, HostRequest group);

// The file a version report is written to: the value after "/V" or "/v"
// when it names a file (not empty, not starting with '/', so "/v /f" is not a
// file called "/f"), else kDefaultVersionReportFile.
std::u16string versionReportFile(std::u16string_view line);

}  // namespace brightwell
