#include "plugin/Source/basecomp/os_rules.h"

#include "platform/host.h"

namespace brightwell {

namespace {

constexpr uint32_t kWindowsNt = 2;

struct Edition {
  const char16_t* name;
  int32_t mask;
};

constexpr Edition kEditions[] = {
    {u"", 0xFFFF},        {u"srvr", 0xFF05},     {u"core", 0xFF0A}, {u"r2", 0xFF0C},    {u"r2srvr", 0xFF04},
    {u"r2core", 0xFF08},  {u"dc", 0x040F},       {u"dcsrvr", 0x0405}, {u"dccore", 0x040A}, {u"dcr2", 0x040C},
    {u"dcr2srvr", 0x0404}, {u"dcr2core", 0x0408}, {u"sbs", 0x0205},  {u"sbsr2", 0x0204},  {u"ebs", 0x0206},
    {u"ebsr2", 0x0207},
};

}  // namespace

int32_t editionMaskOf(std::u16string_view edition) {
  std::u16string lower = lowerCase(edition);
  for (const Edition& e : kEditions)
    if (lower == e.name) return e.mask;
  return 0;
}

int32_t systemEditionBits(uint32_t productType, bool serverR2) {
  switch (productType) {
    case 8: return serverR2 ? 0x0404 : 0x0405;             // datacenter server
    case 9: case 25: return serverR2 ? 0x0204 : 0x0205;    // small business server (premium)
    case 12: return serverR2 ? 0x0408 : 0x040A;            // datacenter server core
    case 13: case 14: return serverR2 ? 0x0108 : 0x0102;   // standard and enterprise server core
    default: return serverR2 ? 0xFF04 : 0xFF05;
  }
}

std::u16string platformTextOf(uint32_t platformId, uint32_t architecture) {
  if (platformId != kWindowsNt) return u"";
  switch (architecture) {
    case 0: return u"nt";
    case 6: return u"nt64";
    case 9: return u"nt_x86-64";
    default: return u"";
  }
}

int32_t servicePackNumber(std::string_view csdVersion) {
  size_t start = csdVersion.find_first_of("0123456789");
  if (start == std::string_view::npos) return 0;
  int64_t value = 0;
  for (size_t i = start; i < csdVersion.size() && csdVersion[i] >= '0' && csdVersion[i] <= '9'; ++i)
    value = std::min<int64_t>(value * 10 + (csdVersion[i] - '0'), INT32_MAX);
  return static_cast<int32_t>(value);
}

bool osRecordMatches(const SupportedOsRecord& record, const SystemFacts& system) {
  if (!equalsNoCase(record.platform, system.platform)) return false;
  if (record.major != -1 && record.major != system.major) return false;
  if (record.minor != -1 && record.minor != system.minor) return false;
  if (record.minimumServicePack != -1 && record.minimumServicePack > system.servicePack) return false;
  int32_t bits = system.editionBits & 0xFFFF;
  return (record.editionMask & bits) == bits;
}

SystemFacts runningSystemFacts() {
  platform::OsVersion os = platform::host().system().osVersion();
  SystemFacts facts;
  facts.platform = platformTextOf(os.platformId, os.processorArchitecture);
  facts.major = static_cast<int32_t>(os.major);
  facts.minor = static_cast<int32_t>(os.minor);
  facts.servicePack = servicePackNumber(os.csdVersion);
  uint32_t productType = os.major > 5 ? os.productInfo : 0;
  facts.editionBits = systemEditionBits(productType, os.serverR2);
  return facts;
}

}  // namespace brightwell
