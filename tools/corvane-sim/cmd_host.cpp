// Commands that build a host or change its machine-wide knobs.
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "platform/common/codepage.h"
#include "platform/host.h"
#include "simhost/chip/card.h"
#include "simhost/devices/device_store.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_config.h"
#include "simhost/machine/json_util.h"
#include "simhost/machine/pe_file.h"
#include "simhost/provision/demo_package.h"
#include "simhost/provision/host_summary.h"
#include "simhost/provision/provision.h"
#include "tools/corvane-sim/commands.h"
#include "tools/corvane-sim/tool_args.h"

namespace corvane_sim {

namespace {

const char* kCreateUsage = "create DIR [--preset demo]";
const char* kAddCardUsage =
    "add-card DIR NAME --board 0x26 --subsys 0x01264040 --ports 2 --bus 5 [--device N] [--chiprev 0x42] "
    "[--efuse 0x...] [--driver 4.0.593] [--firmware 4.0.500] [--dialect standard|alternate] [--serial S] "
    "[--mac MAC] [--image FILE]";
const char* kAddNicUsage = "add-nic DIR --vendor 8086 --device 10FB --connection NAME [--bus N]";
const char* kShowUsage = "show DIR [--json]";
const char* kSetUsage = "set DIR KEY VALUE...";

const char* kSetKeys =
    "keys of corvane-sim set DIR KEY VALUE...:\n"
    "  admin yes|no                  administrator rights of the caller\n"
    "  os MAJOR.MINOR[.BUILD]        Windows version (5.2 is the Server 2003 family)\n"
    "  service-pack N                service pack number (0: none)\n"
    "  arch N                        processor architecture (0 x86, 6 IA-64, 9 x64)\n"
    "  product-info N                GetProductInfo type (8 datacenter, 12 datacenter core, ...)\n"
    "  server-r2 yes|no              the server R2 system metric\n"
    "  model TEXT...                 machine model reported by WMI\n"
    "  wait-scale N                  0: driver-switch waits take no time; 1: real time\n"
    "  close-grace MS                time a console close handler is granted (default 5000)\n"
    "  free-bytes N|real             free space reported on drive C:\n"
    "  service NAME STATE|absent     running, stopped, start-pending, stop-pending, paused\n"
    "  driver-file NAME VERSION      a driver file in System32\\drivers with that version\n"
    "  ui-language TAG               user interface language (en, de, ...)\n"
    "  code-page N                   ANSI code page (1252, 437, 65001)\n"
    "  wow64 no|yes|absent|fail      what IsWow64Process answers\n"
    "  processes [NAME...]           process names reported as running\n"
    "  restart-needed on|off         every device state change asks for a restart\n"
    "  wp-pin CARD on|off            the card's write-protect pin\n";

bool onOff(const std::string& text, bool* value) {
  if (text == "on" || text == "yes" || text == "true") return *value = true, true;
  if (text == "off" || text == "no" || text == "false") return *value = false, true;
  return false;
}

std::string joinWords(const Args& words, size_t from) {
  std::string text;
  for (size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
  return text;
}

// A knob of host.json; returns 0, or the usage/failure code.
int setHostKnob(const simhost::HostDir& dir, const Args& w) {
  const std::string& key = w[1];
  simhost::FileLock lock(dir.hostLock());
  simhost::HostConfig c;
  std::string error;
  if (!simhost::loadHostConfig(dir.hostJson(), &c, &error)) return failure(error);
  uint64_t n;
  if (key == "admin" && w.size() == 3 && onOff(w[2], &c.admin)) {
  } else if (key == "os" && w.size() == 3) {
    unsigned major, minor, build = c.os.build;
    int fields = std::sscanf(w[2].c_str(), "%u.%u.%u", &major, &minor, &build);
    if (fields < 2) return usage(kSetUsage, "os takes MAJOR.MINOR[.BUILD]");
    c.os.major = major;
    c.os.minor = minor;
    c.os.build = build;
  } else if (key == "service-pack" && w.size() == 3) {
    if (!parseBounded(w[2], 255, &n)) return usage(kSetUsage, "service-pack takes a number");
    c.os.servicePackMajor = static_cast<uint32_t>(n);
    c.os.servicePackMinor = 0;
    c.os.csdVersion = n ? "Service Pack " + std::to_string(n) : std::string();
  } else if (key == "arch" && w.size() == 3) {
    if (!parseBounded(w[2], 65535, &n)) return usage(kSetUsage, "arch takes a number");
    c.os.processorArchitecture = static_cast<uint32_t>(n);
  } else if (key == "product-info" && w.size() == 3) {
    if (!parseBounded(w[2], UINT32_MAX, &n)) return usage(kSetUsage, "product-info takes a number");
    c.os.productInfo = static_cast<uint32_t>(n);
  } else if (key == "server-r2" && w.size() == 3 && onOff(w[2], &c.os.serverR2)) {
  } else if (key == "model" && w.size() >= 3) {
    c.model = joinWords(w, 2);
  } else if (key == "wait-scale" && w.size() == 3) {
    try {
      size_t used = 0;
      double scale = std::stod(w[2], &used);
      if (used != w[2].size() || scale < 0) return usage(kSetUsage, "wait-scale takes a number >= 0");
      c.waitScale = scale;
    } catch (const std::exception&) {
      return usage(kSetUsage, "wait-scale takes a number >= 0");
    }
  } else if (key == "close-grace" && w.size() == 3) {
    if (!parseBounded(w[2], 600000, &n)) return usage(kSetUsage, "close-grace takes milliseconds (0 to 600000)");
    c.closeGraceMs = static_cast<uint32_t>(n);
  } else if (key == "free-bytes" && w.size() == 3) {
    if (w[2] == "real") c.freeBytes.reset();
    else if (parseBounded(w[2], UINT64_MAX, &n)) c.freeBytes = n;
    else return usage(kSetUsage, "free-bytes takes a number or 'real'");
  } else if (key == "service" && w.size() == 4) {
    if (w[3] == "absent") c.services.erase(w[2]);
    else if (simhost::isServiceStateName(w[3])) c.services[w[2]] = w[3];
    else return usage(kSetUsage, "unknown service state " + w[3]);
  } else if (key == "ui-language" && w.size() == 3) {
    c.uiLanguage = w[2];
  } else if (key == "code-page" && w.size() == 3) {
    if (!parseBounded(w[2], 65535, &n) || !platform::isSupportedCodePage(static_cast<uint32_t>(n)))
      return usage(kSetUsage, "code-page takes 1252, 437 or 65001");
    c.codePage = static_cast<uint32_t>(n);
  } else if (key == "wow64" && w.size() == 3 &&
             (w[2] == "no" || w[2] == "yes" || w[2] == "absent" || w[2] == "fail")) {
    c.wow64 = w[2];
  } else if (key == "processes") {
    c.processes.assign(w.begin() + 2, w.end());
  } else {
    return usage(kSetUsage, "bad value for " + key + " (corvane-sim set --help lists the keys)");
  }
  return simhost::saveHostConfig(dir.hostJson(), c, &error) ? 0 : failure(error);
}

}  // namespace

int usage(const std::string& usageLine, const std::string& problem) {
  if (!problem.empty()) std::cerr << "corvane-sim: " << problem << "\n";
  std::cerr << "usage: corvane-sim " << usageLine << "\n";
  return 2;
}

int failure(const std::string& problem) {
  std::cerr << "corvane-sim: " << problem << "\n";
  return 1;
}

int cmdCreate(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {"preset"}, {}, &a, &error)) return usage(kCreateUsage, error);
  if (a.words.size() != 1) return usage(kCreateUsage);
  std::optional<std::string> preset = a.get("preset");
  if (preset && *preset != "demo") return usage(kCreateUsage, "unknown preset " + *preset);
  simhost::HostDir dir(a.words[0]);
  bool ok = preset ? simhost::createDemoHost(dir, &error) : simhost::createHost(dir, &error);
  // The demo package runs the programs built beside this one.
  if (ok && preset) {
    std::string self = platform::makeNativeHost()->system().programPath();
    ok = simhost::installDemoPrograms(dir, std::filesystem::path(self).parent_path().string(), &error);
  }
  return ok ? 0 : failure(error);
}

int cmdAddCard(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args,
                     {"board", "subsys", "ports", "bus", "device", "chiprev", "efuse", "driver", "firmware",
                      "dialect", "serial", "mac", "image"},
                     {}, &a, &error))
    return usage(kAddCardUsage, error);
  if (a.words.size() != 2) return usage(kAddCardUsage);
  for (const char* required : {"board", "subsys", "ports", "bus"})
    if (!a.has(required)) return usage(kAddCardUsage, std::string("--") + required + " is required");
  simhost::CardOrder order;
  order.name = a.words[1];
  uint64_t n;
  struct Field {
    const char* name;
    uint64_t max;
    uint32_t* target;
  } fields[] = {{"board", UINT32_MAX, &order.board},
                {"subsys", UINT32_MAX, &order.subsys},
                {"ports", 8, &order.ports},
                {"bus", 255, &order.bus},
                {"device", 31, &order.device}};
  for (const Field& f : fields) {
    if (!a.has(f.name)) continue;
    if (!parseBounded(*a.get(f.name), f.max, &n)) return usage(kAddCardUsage, std::string("bad --") + f.name);
    *f.target = static_cast<uint32_t>(n);
  }
  if (a.has("chiprev")) {
    if (!parseBounded(*a.get("chiprev"), 255, &n)) return usage(kAddCardUsage, "bad --chiprev");
    order.chipRevision = static_cast<uint8_t>(n);
  }
  if (a.has("efuse")) {
    if (!parseBounded(*a.get("efuse"), UINT64_MAX, &n)) return usage(kAddCardUsage, "bad --efuse");
    order.efuse = n;
  }
  if (a.has("mac")) {
    simhost::MacAddress mac;
    if (!simhost::parseMacAddress(*a.get("mac"), &mac)) return usage(kAddCardUsage, "bad --mac");
    order.mac = mac;
  }
  if (a.has("driver")) order.driver = *a.get("driver");
  if (a.has("firmware")) order.firmware = *a.get("firmware");
  if (a.has("dialect")) order.dialect = *a.get("dialect");
  if (a.has("serial")) order.serial = *a.get("serial");
  if (a.has("image")) order.imageFile = *a.get("image");
  simhost::HostDir dir(a.words[0]);
  if (!simhost::checkHost(dir, &error)) return failure(error);
  return simhost::addCard(dir, order, &error) ? 0 : failure(error);
}

int cmdAddNic(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {"vendor", "device", "connection", "bus"}, {}, &a, &error))
    return usage(kAddNicUsage, error);
  if (a.words.size() != 1 || !a.has("vendor") || !a.has("device") || !a.has("connection"))
    return usage(kAddNicUsage);
  simhost::NicOrder order;
  uint64_t n;
  // PCI ids are written in hexadecimal, with or without 0x.
  for (auto [name, target] : {std::pair{"vendor", &order.vendor}, std::pair{"device", &order.device}}) {
    std::string text = *a.get(name);
    if (text.compare(0, 2, "0x") != 0 && text.compare(0, 2, "0X") != 0) text = "0x" + text;
    if (!parseBounded(text, 0xFFFF, &n)) return usage(kAddNicUsage, std::string("bad --") + name);
    *target = static_cast<uint32_t>(n);
  }
  order.connection = *a.get("connection");
  if (a.has("bus")) {
    if (!parseBounded(*a.get("bus"), 255, &n)) return usage(kAddNicUsage, "bad --bus");
    order.bus = static_cast<uint32_t>(n);
  }
  simhost::HostDir dir(a.words[0]);
  if (!simhost::checkHost(dir, &error)) return failure(error);
  return simhost::addNic(dir, order, &error) ? 0 : failure(error);
}

int cmdShow(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {}, {"json"}, &a, &error)) return usage(kShowUsage, error);
  if (a.words.size() != 1) return usage(kShowUsage);
  simhost::HostDir dir(a.words[0]);
  simhost::HostSummary summary;
  if (!simhost::checkHost(dir, &error) || !simhost::describeHost(dir, &summary, &error)) return failure(error);
  if (a.has("json")) std::cout << simhost::hostSummaryJson(summary).dump(2) << "\n";
  else std::cout << simhost::hostSummaryText(summary);
  return 0;
}

int cmdSet(const Args& w) {
  if (w.size() == 1 && (w[0] == "--help" || w[0] == "-h")) {
    std::cout << kSetKeys;
    return 0;
  }
  if (w.size() < 2) return usage(kSetUsage);
  simhost::HostDir dir(w[0]);
  std::string error;
  if (!simhost::checkHost(dir, &error)) return failure(error);
  const std::string& key = w[1];
  if (key == "driver-file") {
    platform::FileVersion v;
    if (w.size() != 4 || w[2].empty() || w[2].find('/') != std::string::npos ||
        !simhost::parseFileVersionText(w[3], &v))
      return usage(kSetUsage, "driver-file takes NAME VERSION (a.b.c[.d])");
    return simhost::writeFileAtomic(dir.driversDir() + "/" + w[2], simhost::makePeWithVersion(v, w[2]), &error)
               ? 0
               : failure(error);
  }
  if (key == "restart-needed") {
    bool on;
    if (w.size() != 3 || !onOff(w[2], &on)) return usage(kSetUsage, "restart-needed takes on or off");
    bool ok = simhost::DeviceStore(dir).update(
        [&](simhost::DeviceTable& t) {
          t.restartNeeded = on;
          return true;
        },
        &error);
    return ok ? 0 : failure(error);
  }
  if (key == "wp-pin") {
    bool on;
    if (w.size() != 4 || !onOff(w[3], &on)) return usage(kSetUsage, "wp-pin takes CARD on|off");
    std::string path = dir.cardDir(w[2]) + "/card.json";
    simhost::CardConfig config;
    if (!simhost::loadCardConfig(path, &config, &error)) return failure(error);
    config.writeProtectPin = on;
    return simhost::saveCardConfig(path, config, &error) ? 0 : failure(error);
  }
  return setHostKnob(dir, w);
}

}  // namespace corvane_sim
