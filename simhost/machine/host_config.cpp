#include "simhost/machine/host_config.h"

#include <nlohmann/json.hpp>

#include "simhost/machine/change_counter.h"
#include "simhost/machine/json_util.h"
#include "simhost/machine/state_counts.h"

namespace simhost {

using nlohmann::json;

bool isServiceStateName(const std::string& state) {
  return state == "running" || state == "stopped" || state == "start-pending" ||
         state == "stop-pending" || state == "paused";
}

namespace {

struct Reader {
  const std::string& path;
  std::string* error;

  bool fail(const std::string& what) {
    if (error) *error = path + ": " + what;
    return false;
  }
  bool u32(const json& obj, const char* key, uint32_t* out) {
    if (!obj.contains(key)) return true;
    uint64_t v;
    if (!jsonNumber(obj[key], &v) || v > UINT32_MAX) return fail(std::string("\"") + key + "\" is not a number");
    *out = static_cast<uint32_t>(v);
    return true;
  }
  bool text(const json& obj, const char* key, std::string* out) {
    if (!obj.contains(key)) return true;
    if (!obj[key].is_string()) return fail(std::string("\"") + key + "\" is not a text");
    *out = obj[key].get<std::string>();
    return true;
  }
};

}  // namespace

bool loadHostConfig(const std::string& path, HostConfig* config, std::string* error) {
  json root;
  countStateParse();
  if (!loadJsonFile(path, &root, error)) return false;
  Reader r{path, error};
  if (!root.is_object()) return r.fail("not a JSON object");
  HostConfig c;
  if (root.contains("os")) {
    const json& os = root["os"];
    if (!os.is_object()) return r.fail("\"os\" is not an object");
    if (!r.u32(os, "major", &c.os.major) || !r.u32(os, "minor", &c.os.minor) ||
        !r.u32(os, "build", &c.os.build) || !r.u32(os, "platform", &c.os.platformId) ||
        !r.u32(os, "product_type", &c.os.productType) ||
        !r.u32(os, "sp_major", &c.os.servicePackMajor) ||
        !r.u32(os, "sp_minor", &c.os.servicePackMinor) || !r.text(os, "csd", &c.os.csdVersion) ||
        !r.u32(os, "arch", &c.os.processorArchitecture) || !r.u32(os, "product_info", &c.os.productInfo))
      return false;
    if (os.contains("server_r2")) {
      if (!os["server_r2"].is_boolean()) return r.fail("\"server_r2\" is not true or false");
      c.os.serverR2 = os["server_r2"].get<bool>();
    }
  }
  if (root.contains("admin")) {
    if (!root["admin"].is_boolean()) return r.fail("\"admin\" is not true or false");
    c.admin = root["admin"].get<bool>();
  }
  if (!r.text(root, "model", &c.model) || !r.text(root, "ui_language", &c.uiLanguage) ||
      !r.u32(root, "code_page", &c.codePage) || !r.text(root, "wow64", &c.wow64))
    return false;
  if (c.wow64 != "no" && c.wow64 != "yes" && c.wow64 != "absent" && c.wow64 != "fail")
    return r.fail("\"wow64\" must be no, yes, absent or fail");
  if (root.contains("services")) {
    const json& s = root["services"];
    if (!s.is_object()) return r.fail("\"services\" is not an object");
    for (auto it = s.begin(); it != s.end(); ++it) {
      if (!it.value().is_string() || !isServiceStateName(it.value().get<std::string>()))
        return r.fail("service \"" + it.key() + "\" has no valid state");
      c.services[it.key()] = it.value().get<std::string>();
    }
  }
  if (root.contains("wait_scale")) {
    if (!root["wait_scale"].is_number() || root["wait_scale"].get<double>() < 0)
      return r.fail("\"wait_scale\" is not a non-negative number");
    c.waitScale = root["wait_scale"].get<double>();
  }
  if (root.contains("close_grace_ms") && !r.u32(root, "close_grace_ms", &c.closeGraceMs)) return false;
  if (root.contains("free_bytes") && !root["free_bytes"].is_null()) {
    uint64_t v;
    if (!jsonNumber(root["free_bytes"], &v)) return r.fail("\"free_bytes\" is not a number");
    c.freeBytes = v;
  }
  if (root.contains("processes")) {
    const json& p = root["processes"];
    if (!p.is_array()) return r.fail("\"processes\" is not a list");
    for (const json& name : p) {
      if (!name.is_string()) return r.fail("\"processes\" holds something other than a name");
      c.processes.push_back(name.get<std::string>());
    }
  }
  *config = c;
  return true;
}

bool saveHostConfig(const std::string& path, const HostConfig& c, std::string* error) {
  json root;
  root["os"] = {{"major", c.os.major},
                {"minor", c.os.minor},
                {"build", c.os.build},
                {"platform", c.os.platformId},
                {"product_type", c.os.productType},
                {"sp_major", c.os.servicePackMajor},
                {"sp_minor", c.os.servicePackMinor},
                {"csd", c.os.csdVersion},
                {"arch", c.os.processorArchitecture},
                {"product_info", c.os.productInfo},
                {"server_r2", c.os.serverR2}};
  root["admin"] = c.admin;
  root["model"] = c.model;
  root["services"] = c.services;
  root["ui_language"] = c.uiLanguage;
  root["code_page"] = c.codePage;
  root["wait_scale"] = c.waitScale;
  root["close_grace_ms"] = c.closeGraceMs;
  root["free_bytes"] = c.freeBytes ? json(*c.freeBytes) : json(nullptr);
  root["wow64"] = c.wow64;
  root["processes"] = c.processes;
  return writeStateFile(path, root.dump(2) + "\n", error);
}

}  // namespace simhost
