#include "plugin/component/host_tokens.h"

#include <initializer_list>

#include "plugin/CStr/cstr.h"

namespace brightwell {

namespace {

using Tokens = std::initializer_list<std::u16string_view>;

const Tokens kForceTokens = {u"/F", u"/f", u"/E", u"/e", u"/G", u"/g"};
const Tokens kDiscoveryTokens = {u"/D", u"/d", u" -D", u" -d"};
const Tokens kUpgradeTokens = {u"/U", u"/u", u" -U", u" -u"};
const Tokens kVersionReportTokens = {u"/V", u"/v"};

constexpr std::u16string_view kVerboseLog = u"/verbose_log";

bool startsVerboseLog(std::u16string_view line, size_t at) {
  return equalsNoCase(line.substr(at, kVerboseLog.size()), kVerboseLog);
}

// Where a token counts first in the line, or npos.
size_t tokenAt(std::u16string_view line, std::u16string_view token, bool versionReport) {
  for (size_t at = line.find(token); at != std::u16string_view::npos; at = line.find(token, at + 1)) {
    if (!versionReport || !startsVerboseLog(line, at)) return at;
  }
  return std::u16string_view::npos;
}

// The first token of the group that is present, as the position just past it.
size_t pastFirstToken(std::u16string_view line, const Tokens& group, bool versionReport) {
  for (std::u16string_view token : group) {
    size_t at = tokenAt(line, token, versionReport);
    if (at != std::u16string_view::npos) return at + token.size();
  }
  return std::u16string_view::npos;
}

bool anyPresent(std::u16string_view line, const Tokens& group, bool versionReport = false) {
  return pastFirstToken(line, group, versionReport) != std::u16string_view::npos;
}

std::u16string restAfter(std::u16string_view line, size_t past) {
  if (past == std::u16string_view::npos) return {};
  while (past < line.size() && line[past] == u' ') ++past;
  return std::u16string(line.substr(past, kOptionValueChars - 1));
}

}  // namespace

bool hasForceToken(std::u16string_view line) { return anyPresent(line, kForceTokens); }
bool hasDiscoveryToken(std::u16string_view line) { return anyPresent(line, kDiscoveryTokens); }
bool hasUpgradeToken(std::u16string_view line) { return anyPresent(line, kUpgradeTokens); }
bool hasVersionReportToken(std::u16string_view line) { return anyPresent(line, kVersionReportTokens, true); }

HostRequest requestOf(std::u16string_view line) {
  if (hasDiscoveryToken(line)) return HostRequest::Discovery;
  if (hasUpgradeToken(line)) return HostRequest::UpgradeFromReport;
  if (hasVersionReportToken(line)) return HostRequest::VersionReport;
  return HostRequest::Install;
}

std::u16string optionValue(std::u16string_view line, HostRequest group) {
  switch (group) {
    case HostRequest::Discovery: return restAfter(line, pastFirstToken(line, kDiscoveryTokens, false));
    case HostRequest::UpgradeFromReport: return restAfter(line, pastFirstToken(line, kUpgradeTokens, false));
    case HostRequest::VersionReport: return restAfter(line, pastFirstToken(line, kVersionReportTokens, true));
    case HostRequest::Install: break;
  }
  return {};
}

std::u16string versionReportFile(std::u16string_view line) {
  std::u16string value = optionValue(line, HostRequest::VersionReport);
  if (value.empty() || value.front() == u'/') return kDefaultVersionReportFile;
  return value;
}

}  // namespace brightwell
