#include "simhost/chip/fault_rules.h"

#include <set>

#include <nlohmann/json.hpp>

#include "simhost/chip/driver_request.h"
#include "simhost/machine/files.h"
#include "simhost/machine/json_util.h"

namespace simhost {

using nlohmann::json;

namespace {

struct ActionName {
  FaultAction action;
  const char* name;
};

constexpr ActionName kActionNames[] = {
    {FaultAction::kFail, "fail"},         {FaultAction::kFfff, "ffff"},
    {FaultAction::kBitflip, "bitflip"},   {FaultAction::kLockHeld, "lock-held"},
    {FaultAction::kTimeout, "timeout"},   {FaultAction::kReboot, "reboot"},
    {FaultAction::kKill, "kill"},         {FaultAction::kPause, "pause"},
};

bool hasOffset(uint32_t command) {
  return command == kCmdFlashRead || command == kCmdFlashWrite || command == kCmdRegisterWrite;
}

}  // namespace

const char* faultActionName(FaultAction action) {
  for (const ActionName& a : kActionNames)
    if (a.action == action) return a.name;
  return "?";
}

bool parseFaultAction(const std::string& name, FaultAction* action) {
  for (const ActionName& a : kActionNames) {
    if (name == a.name) {
      *action = a.action;
      return true;
    }
  }
  return false;
}

bool parseOffsetRange(const std::string& text, OffsetRange* range) {
  size_t dash = text.find('-');
  if (dash == std::string::npos) return false;
  uint64_t low, high;
  if (!parseNumber(text.substr(0, dash), &low) || !parseNumber(text.substr(dash + 1), &high)) return false;
  if (low > UINT32_MAX || high > UINT32_MAX || low > high) return false;
  range->low = static_cast<uint32_t>(low);
  range->high = static_cast<uint32_t>(high);
  return true;
}

std::string offsetRangeText(const OffsetRange& range) {
  return hexText(range.low, 6) + "-" + hexText(range.high, 6);
}

bool validateFaultRule(const FaultRule& rule, std::string* error) {
  auto fail = [&](const std::string& problem) {
    if (error) *error = std::string(faultActionName(rule.action)) + ": " + problem;
    return false;
  };
  if (rule.offsets && rule.offsets->low > rule.offsets->high) return fail("the offset range ends before it starts");
  if (rule.times && *rule.times == 0) return fail("times must be at least 1");
  if (rule.owner && rule.action != FaultAction::kLockHeld) return fail("only lock-held takes an owner");
  if (rule.offsets && rule.command && !hasOffset(*rule.command))
    return fail("an offset range applies only to commands 50, 51 and 2 (sector erase)");
  switch (rule.action) {
    case FaultAction::kReboot:
      if (rule.command || rule.offsets) return fail("a reboot fault counts device state changes, not commands");
      break;
    case FaultAction::kBitflip:
      if (rule.command && *rule.command != kCmdFlashWrite) return fail("only flash word writes (51) can flip bits");
      break;
    case FaultAction::kTimeout:
      if (rule.command && *rule.command != kCmdRegisterWrite)
        return fail("controller instructions are register writes (2)");
      break;
    default:
      break;
  }
  return true;
}

std::string describeFaultRule(const FaultRule& rule) {
  std::string text = faultActionName(rule.action);
  if (rule.command) text += " cmd " + std::to_string(*rule.command);
  if (rule.after) text += " after " + std::to_string(rule.after);
  if (rule.offsets) text += " offset " + offsetRangeText(*rule.offsets);
  if (rule.times) text += " times " + std::to_string(*rule.times);
  if (rule.owner) text += " owner " + hexText(*rule.owner, 8);
  return text;
}

bool loadFaultRules(const std::string& path, std::vector<FaultRule>* rules, std::string* error) {
  rules->clear();
  if (!fileExists(path)) return true;
  json root;
  if (!loadJsonFile(path, &root, error)) return false;
  auto fail = [&](const std::string& field, const std::string& problem) {
    if (error) *error = path + ": \"" + field + "\" " + problem;
    return false;
  };
  if (!root.is_object() || !root.contains("rules")) return fail("rules", "is missing");
  const json& list = root["rules"];
  if (!list.is_array()) return fail("rules", "is not a list");
  static const std::set<std::string> kKeys = {"action", "cmd", "after", "offset", "times", "owner"};
  std::vector<FaultRule> loaded;
  for (size_t i = 0; i < list.size(); ++i) {
    const json& r = list[i];
    std::string at = "rules[" + std::to_string(i) + "]";
    if (!r.is_object()) return fail(at, "is not an object");
    for (auto it = r.begin(); it != r.end(); ++it)
      if (!kKeys.count(it.key())) return fail(at + "." + it.key(), "is not a rule field");
    FaultRule rule;
    if (!r.contains("action") || !r["action"].is_string() ||
        !parseFaultAction(r["action"].get<std::string>(), &rule.action))
      return fail(at + ".action", "must be fail, ffff, bitflip, lock-held, timeout, reboot, kill or pause");
    uint64_t v;
    if (r.contains("cmd")) {
      if (!jsonNumber(r["cmd"], &v) || v > UINT32_MAX) return fail(at + ".cmd", "is not a command number");
      rule.command = static_cast<uint32_t>(v);
    }
    if (r.contains("after")) {
      if (!jsonNumber(r["after"], &v)) return fail(at + ".after", "is not a count");
      rule.after = v;
    }
    if (r.contains("offset")) {
      OffsetRange range;
      if (!r["offset"].is_string() || !parseOffsetRange(r["offset"].get<std::string>(), &range))
        return fail(at + ".offset", "is not a range like \"0x3E0000-0x3EFFFF\"");
      rule.offsets = range;
    }
    if (r.contains("times")) {
      if (!jsonNumber(r["times"], &v)) return fail(at + ".times", "is not a count");
      rule.times = v;
    }
    if (r.contains("owner")) {
      if (!jsonNumber(r["owner"], &v) || v > UINT32_MAX) return fail(at + ".owner", "is not a 32-bit owner id");
      rule.owner = static_cast<uint32_t>(v);
    }
    std::string problem;
    if (!validateFaultRule(rule, &problem)) return fail(at, problem);
    loaded.push_back(rule);
  }
  *rules = std::move(loaded);
  return true;
}

bool saveFaultRules(const std::string& path, const std::vector<FaultRule>& rules, std::string* error) {
  json list = json::array();
  for (const FaultRule& rule : rules) {
    json r = {{"action", faultActionName(rule.action)}};
    if (rule.command) r["cmd"] = *rule.command;
    if (rule.after) r["after"] = rule.after;
    if (rule.offsets) r["offset"] = offsetRangeText(*rule.offsets);
    if (rule.times) r["times"] = *rule.times;
    if (rule.owner) r["owner"] = hexText(*rule.owner, 8);
    list.push_back(r);
  }
  return saveJsonFile(path, json{{"rules", list}}, error);
}

}  // namespace simhost
