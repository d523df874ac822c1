// Commands that look into or change one card: flash contents, chip
// registers, fault rules, call statistics; and the host's protocol check.
#include <cstdio>
#include <iostream>

#include "simhost/chip/card.h"
#include "simhost/chip/flash_geometry.h"
#include "simhost/chip/protocol_checker.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_dir.h"
#include "simhost/machine/json_util.h"
#include "simhost/provision/provision.h"
#include "tools/corvane-sim/commands.h"
#include "tools/corvane-sim/tool_args.h"

namespace corvane_sim {

namespace {

const char* kFlashUsage = "flash DIR CARD --dump FILE | --load FILE";
const char* kFaultUsage =
    "fault DIR CARD --action fail|ffff|bitflip|lock-held|timeout|reboot|kill|pause [--cmd N] [--after K] "
    "[--offset LO-HI] [--times N] [--owner ID] | --clear | --list";
const char* kStatsUsage = "stats DIR CARD [--json] [--reset]";
const char* kCheckUsage = "check DIR [--clear]";
const char* kRegUsage = "reg DIR CARD ADDRESS [VALUE]";

std::shared_ptr<simhost::Card> openCard(const ToolArgs& a, std::string* error) {
  simhost::HostDir dir(a.words[0]);
  if (!simhost::checkHost(dir, error)) return nullptr;
  if (!simhost::fileExists(dir.cardDir(a.words[1]))) {
    *error = dir.root + ": no card named " + a.words[1];
    return nullptr;
  }
  return simhost::Card::open(dir.cardDir(a.words[1]), error);
}

}  // namespace

int cmdFlash(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {"dump", "load"}, {}, &a, &error)) return usage(kFlashUsage, error);
  if (a.words.size() != 2 || a.has("dump") == a.has("load")) return usage(kFlashUsage);
  std::shared_ptr<simhost::Card> card = openCard(a, &error);
  if (!card) return failure(error);
  if (a.has("dump")) {
    std::span<const uint8_t> flash = card->flash();
    std::string bytes(reinterpret_cast<const char*>(flash.data()), flash.size());
    return simhost::writeFileAtomic(*a.get("dump"), bytes, &error) ? 0 : failure(error);
  }
  std::string bytes;
  if (!simhost::readFile(*a.get("load"), &bytes, &error)) return failure(error);
  if (bytes.size() != simhost::kFlashSize)
    return failure(*a.get("load") + ": a flash picture is exactly 4194304 bytes, this one has " +
                   std::to_string(bytes.size()));
  std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return card->loadFlashImage(image, &error) ? 0 : failure(error);
}

int cmdFault(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {"action", "cmd", "after", "offset", "times", "owner"}, {"clear", "list"}, &a, &error))
    return usage(kFaultUsage, error);
  int modes = a.has("action") + a.has("clear") + a.has("list");
  if (a.words.size() != 2 || modes != 1) return usage(kFaultUsage);
  if (a.has("clear") || a.has("list")) {
    std::shared_ptr<simhost::Card> card = openCard(a, &error);
    if (!card) return failure(error);
    if (a.has("clear")) return card->clearFaultRules(&error) ? 0 : failure(error);
    std::vector<simhost::FaultRuleStatus> rules;
    if (!card->faultRules(&rules, &error)) return failure(error);
    for (const simhost::FaultRuleStatus& r : rules)
      std::cout << simhost::describeFaultRule(r.rule) << "  (matched " << r.matched << ", fired " << r.fired
                << ")\n";
    return 0;
  }
  simhost::FaultRule rule;
  if (!simhost::parseFaultAction(*a.get("action"), &rule.action))
    return usage(kFaultUsage, "unknown action " + *a.get("action"));
  uint64_t n;
  if (a.has("cmd")) {
    if (!parseBounded(*a.get("cmd"), UINT32_MAX, &n)) return usage(kFaultUsage, "bad --cmd");
    rule.command = static_cast<uint32_t>(n);
  }
  if (a.has("after")) {
    if (!parseBounded(*a.get("after"), UINT64_MAX, &n)) return usage(kFaultUsage, "bad --after");
    rule.after = n;
  }
  if (a.has("times")) {
    if (!parseBounded(*a.get("times"), UINT64_MAX, &n) || n == 0) return usage(kFaultUsage, "bad --times");
    rule.times = n;
  }
  if (a.has("owner")) {
    if (!parseBounded(*a.get("owner"), UINT32_MAX, &n)) return usage(kFaultUsage, "bad --owner");
    rule.owner = static_cast<uint32_t>(n);
  }
  if (a.has("offset")) {
    simhost::OffsetRange range;
    if (!simhost::parseOffsetRange(*a.get("offset"), &range)) return usage(kFaultUsage, "bad --offset");
    rule.offsets = range;
  }
  if (!simhost::validateFaultRule(rule, &error)) return usage(kFaultUsage, error);
  std::shared_ptr<simhost::Card> card = openCard(a, &error);
  if (!card) return failure(error);
  return card->addFaultRule(rule, &error) ? 0 : failure(error);
}

int cmdStats(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {}, {"json", "reset"}, &a, &error)) return usage(kStatsUsage, error);
  if (a.words.size() != 2) return usage(kStatsUsage);
  std::shared_ptr<simhost::Card> card = openCard(a, &error);
  if (!card) return failure(error);
  simhost::CardStats stats = card->stats();
  if (a.has("json")) {
    std::cout << simhost::statsJson(stats).dump() << "\n";
  } else if (!a.has("reset")) {
    std::cout << "total " << stats.total << "\n";
    for (const auto& [command, calls] : stats.calls) std::cout << "command " << command << ": " << calls << "\n";
  }
  if (a.has("reset")) card->resetStats();
  return 0;
}

int cmdCheck(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {}, {"clear"}, &a, &error)) return usage(kCheckUsage, error);
  if (a.words.size() != 1) return usage(kCheckUsage);
  simhost::HostDir dir(a.words[0]);
  if (!simhost::checkHost(dir, &error)) return failure(error);
  std::vector<std::string> violations = simhost::collectViolations(dir);
  if (a.has("clear")) return simhost::clearViolations(dir, &error) ? 0 : failure(error);
  if (violations.empty()) {
    std::cout << "no protocol violations\n";
    return 0;
  }
  std::cout << violations.size() << " protocol violation" << (violations.size() == 1 ? "" : "s") << ":\n";
  for (const std::string& v : violations) std::cout << "  " << v << "\n";
  return 1;
}

int cmdReg(const Args& args) {
  ToolArgs a;
  std::string error;
  if (!parseToolArgs(args, {}, {}, &a, &error)) return usage(kRegUsage, error);
  if (a.words.size() != 3 && a.words.size() != 4) return usage(kRegUsage);
  uint64_t address, value;
  if (!parseBounded(a.words[2], UINT32_MAX, &address)) return usage(kRegUsage, "bad ADDRESS");
  if (a.words.size() == 4 && !parseBounded(a.words[3], UINT32_MAX, &value)) return usage(kRegUsage, "bad VALUE");
  std::shared_ptr<simhost::Card> card = openCard(a, &error);
  if (!card) return failure(error);
  if (a.words.size() == 3) {
    std::cout << simhost::hexText(card->peekRegister(static_cast<uint32_t>(address)), 8) << "\n";
    return 0;
  }
  if (!card->pokeRegister(static_cast<uint32_t>(address), static_cast<uint32_t>(value)))
    return failure("register " + simhost::hexText(address, 8) + " cannot be set this way");
  return 0;
}

}  // namespace corvane_sim
