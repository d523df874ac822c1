#include "simhost/devices/device_store.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "simhost/machine/json_util.h"
#include "simhost/machine/state_counts.h"

namespace simhost {

using nlohmann::json;

namespace {

bool readText(const json& obj, const char* key, std::string* out, bool required) {
  if (!obj.contains(key)) return !required;
  if (!obj[key].is_string()) return false;
  *out = obj[key].get<std::string>();
  return true;
}

bool readFlag(const json& obj, const char* key, bool* out) {
  if (!obj.contains(key)) return true;
  if (!obj[key].is_boolean()) return false;
  *out = obj[key].get<bool>();
  return true;
}

bool parseRecord(const json& d, DeviceRecord* r, std::string* field) {
  if (!d.is_object()) return *field = "entry", false;
  if (!readText(d, "instance_id", &r->instanceId, true) || r->instanceId.empty())
    return *field = "instance_id", false;
  if (!readText(d, "class", &r->classGuid, true)) return *field = "class", false;
  if (!readText(d, "enumerator", &r->enumerator, false)) return *field = "enumerator", false;
  if (!readText(d, "driver", &r->driverKey, false)) return *field = "driver", false;
  if (!readText(d, "location", &r->location, false)) return *field = "location", false;
  if (!readText(d, "description", &r->description, false)) return *field = "description", false;
  if (!readText(d, "card", &r->card, false)) return *field = "card", false;
  if (!readText(d, "guid", &r->guid, false)) return *field = "guid", false;
  if (!readFlag(d, "disabled_global", &r->disabledGlobal)) return *field = "disabled_global", false;
  if (!readFlag(d, "disabled_config", &r->disabledConfig)) return *field = "disabled_config", false;
  if (d.contains("hardware_ids")) {
    if (!d["hardware_ids"].is_array()) return *field = "hardware_ids", false;
    for (const json& id : d["hardware_ids"]) {
      if (!id.is_string()) return *field = "hardware_ids", false;
      r->hardwareIds.push_back(id.get<std::string>());
    }
  }
  if (d.contains("port")) {
    if (!d["port"].is_number_integer()) return *field = "port", false;
    r->port = d["port"].get<int>();
  }
  if (d.contains("params_error")) {
    uint64_t v;
    if (!jsonNumber(d["params_error"], &v) || v > UINT32_MAX) return *field = "params_error", false;
    r->paramsError = static_cast<uint32_t>(v);
  }
  if (!r->card.empty() && r->port < 0) return *field = "port", false;
  return true;
}

}  // namespace

bool parseDeviceTable(const std::string& text, const std::string& fileName, DeviceTable* table,
                      std::string* error) {
  json root;
  if (!parseJsonText(text, fileName, &root, error)) return false;
  if (!root.is_object() || !root.contains("devices") || !root["devices"].is_array()) {
    if (error) *error = fileName + ": expected an object with a \"devices\" list";
    return false;
  }
  DeviceTable result;
  if (!readFlag(root, "restart_needed", &result.restartNeeded)) {
    if (error) *error = fileName + ": \"restart_needed\" is not true or false";
    return false;
  }
  size_t index = 0;
  for (const json& d : root["devices"]) {
    DeviceRecord record;
    std::string field;
    if (!parseRecord(d, &record, &field)) {
      if (error) *error = fileName + ": device " + std::to_string(index) + ": bad or missing \"" + field + "\"";
      return false;
    }
    result.devices.push_back(std::move(record));
    ++index;
  }
  *table = std::move(result);
  return true;
}

std::string writeDeviceTable(const DeviceTable& table) {
  json devices = json::array();
  for (const DeviceRecord& r : table.devices) {
    json d = {{"instance_id", r.instanceId},   {"class", r.classGuid},
              {"enumerator", r.enumerator},    {"hardware_ids", r.hardwareIds},
              {"driver", r.driverKey},         {"location", r.location},
              {"description", r.description},  {"disabled_global", r.disabledGlobal},
              {"disabled_config", r.disabledConfig}};
    if (!r.card.empty()) {
      d["card"] = r.card;
      d["port"] = r.port;
    }
    if (!r.guid.empty()) d["guid"] = r.guid;
    if (r.paramsError != 0) d["params_error"] = r.paramsError;
    devices.push_back(std::move(d));
  }
  json root = {{"restart_needed", table.restartNeeded}, {"devices", std::move(devices)}};
  return root.dump(2) + "\n";
}

DeviceStore::DeviceStore(HostDir dir) : dir_(std::move(dir)), counter_(dir_.devicesJson()) {}

std::shared_ptr<const DeviceTable> DeviceStore::tableLocked(std::string* error) {
  const uint64_t now = counter_.current();
  if (cache_ && ChangeCounter::unchanged(generation_, now)) return cache_;
  std::string text;
  if (!readFile(dir_.devicesJson(), &text, error)) {
    if (error && !fileExists(dir_.devicesJson())) *error = dir_.devicesJson() + ": missing";
    return nullptr;
  }
  auto fresh = std::make_shared<DeviceTable>();
  countStateParse();
  if (!parseDeviceTable(text, dir_.devicesJson(), fresh.get(), error)) return nullptr;
  cache_ = std::move(fresh);
  generation_ = now;
  return cache_;
}

std::shared_ptr<const DeviceTable> DeviceStore::table(std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  return tableLocked(error);
}

bool DeviceStore::load(DeviceTable* table, std::string* error) {
  std::shared_ptr<const DeviceTable> current = this->table(error);
  if (!current) return false;
  *table = *current;
  return true;
}

bool DeviceStore::update(const std::function<bool(DeviceTable&)>& change, std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  FileLock lock(dir_.devicesLock());
  if (!lock.held()) {
    if (error) *error = dir_.devicesLock() + ": cannot be locked";
    return false;
  }
  // Under the lock the change counter says whether another process changed
  // the file since this one read it.
  std::shared_ptr<const DeviceTable> current = tableLocked(error);
  if (!current) return false;
  DeviceTable table = *current;
  if (!change(table)) return true;
  uint64_t after = ChangeCounter::kNone;
  if (!counter_.rewrite(writeDeviceTable(table), error, &after)) {
    cache_.reset();
    return false;
  }
  // What a read of the file just written gives: the port of a device that
  // names no card is not kept.
  for (DeviceRecord& d : table.devices)
    if (d.card.empty()) d.port = -1;
  cache_ = std::make_shared<const DeviceTable>(std::move(table));
  generation_ = after;
  return true;
}

bool DeviceStore::create(std::string* error) {
  if (fileExists(dir_.devicesJson())) return true;
  return counter_.rewrite(writeDeviceTable(DeviceTable{}), error);
}

}  // namespace simhost
