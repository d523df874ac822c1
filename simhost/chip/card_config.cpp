#include "simhost/chip/card_config.h"

#include <cctype>
#include <limits>
#include <set>

#include <nlohmann/json.hpp>

#include "simhost/machine/json_util.h"

namespace simhost {

using nlohmann::json;

bool isGuidText(const std::string& text) {
  static constexpr char kShape[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (text.size() != sizeof kShape - 1) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (kShape[i] == 'X') {
      if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'F')) return false;
    } else if (c != kShape[i]) {
      return false;
    }
  }
  return true;
}

namespace {

// Reads fields of one JSON object; the first problem becomes the error.
class FieldReader {
 public:
  FieldReader(const std::string& path, std::string* error) : path_(path), error_(error) {}

  bool fail(const std::string& field, const std::string& problem) {
    if (error_) *error_ = path_ + ": \"" + field + "\" " + problem;
    return false;
  }

  bool number(const json& obj, const std::string& prefix, const char* key, uint64_t max, bool required,
              uint64_t* out) {
    std::string field = prefix + key;
    if (!obj.contains(key)) return required ? fail(field, "is missing") : true;
    uint64_t v;
    if (!jsonNumber(obj[key], &v)) return fail(field, "is not a number (a JSON number or a text such as \"0x26\")");
    if (v > max) return fail(field, "is larger than " + hexText(max, 0));
    *out = v;
    return true;
  }

  template <typename T>
  bool number(const json& obj, const char* key, bool required, T* out) {
    uint64_t v = *out;
    if (!number(obj, "", key, static_cast<uint64_t>(std::numeric_limits<T>::max()), required, &v)) return false;
    *out = static_cast<T>(v);
    return true;
  }

  bool text(const json& obj, const char* key, bool required, std::string* out) {
    if (!obj.contains(key)) return required ? fail(key, "is missing") : true;
    if (!obj[key].is_string()) return fail(key, "is not a text");
    *out = obj[key].get<std::string>();
    return true;
  }

 private:
  const std::string& path_;
  std::string* error_;
};

const std::set<std::string> kCardKeys = {"name",    "board", "subsys",  "chiprev", "efuse",
                                         "driver",  "dialect", "bus",   "device",  "wp_pin",
                                         "board_type_register", "ports"};
const std::set<std::string> kPortKeys = {"port", "function", "guid"};

bool readPorts(const json& list, FieldReader& r, std::vector<CardPortConfig>* ports) {
  if (!list.is_array()) return r.fail("ports", "is not a list");
  for (size_t i = 0; i < list.size(); ++i) {
    std::string prefix = "ports[" + std::to_string(i) + "].";
    const json& p = list[i];
    if (!p.is_object()) return r.fail("ports[" + std::to_string(i) + "]", "is not an object");
    for (auto it = p.begin(); it != p.end(); ++it)
      if (!kPortKeys.count(it.key())) return r.fail(prefix + it.key(), "is not a port field");
    CardPortConfig port;
    uint64_t v = 0;
    if (!r.number(p, prefix, "port", 0xFF, true, &v)) return false;
    port.port = static_cast<uint32_t>(v);
    if (!r.number(p, prefix, "function", 7, true, &v)) return false;
    port.function = static_cast<uint32_t>(v);
    if (!p.contains("guid")) return r.fail(prefix + "guid", "is missing");
    if (!p["guid"].is_string()) return r.fail(prefix + "guid", "is not a text");
    port.guid = p["guid"].get<std::string>();
    ports->push_back(port);
  }
  return true;
}

}  // namespace

bool validateCardConfig(const CardConfig& c, std::string* error) {
  auto fail = [&](const std::string& field, const std::string& problem) {
    if (error) *error = "\"" + field + "\" " + problem;
    return false;
  };
  if (c.name.empty() || c.name.find_first_of("/\n\r") != std::string::npos)
    return fail("name", "must be a non-empty name without '/' or line breaks");
  if (c.ports.empty()) return fail("ports", "must list at least one port");
  if (c.ports.size() > kMaxCardPorts) return fail("ports", "may list at most 8 ports");
  std::set<uint32_t> ports, functions;
  std::set<std::string> guids;
  for (size_t i = 0; i < c.ports.size(); ++i) {
    const CardPortConfig& p = c.ports[i];
    std::string prefix = "ports[" + std::to_string(i) + "].";
    if (p.port > 0xFF) return fail(prefix + "port", "is larger than 0xFF");
    if (p.function > 7) return fail(prefix + "function", "is larger than 7");
    if (!isGuidText(p.guid))
      return fail(prefix + "guid", "is not an upper-case GUID like {01234567-89AB-CDEF-0123-456789ABCDEF}");
    if (!ports.insert(p.port).second) return fail(prefix + "port", "repeats another port's number");
    if (!functions.insert(p.function).second) return fail(prefix + "function", "repeats another port's function");
    if (!guids.insert(p.guid).second) return fail(prefix + "guid", "repeats another port's GUID");
  }
  return true;
}

bool loadCardConfig(const std::string& path, CardConfig* config, std::string* error) {
  json root;
  if (!loadJsonFile(path, &root, error)) return false;
  FieldReader r(path, error);
  if (!root.is_object()) {
    if (error) *error = path + ": not a JSON object";
    return false;
  }
  for (auto it = root.begin(); it != root.end(); ++it)
    if (!kCardKeys.count(it.key())) return r.fail(it.key(), "is not a card field");

  CardConfig c;
  if (!r.text(root, "name", true, &c.name) || !r.number(root, "board", true, &c.board) ||
      !r.number(root, "subsys", true, &c.subsys) || !r.number(root, "chiprev", false, &c.chipRevision) ||
      !r.number(root, "efuse", false, &c.efuse) || !r.number(root, "bus", true, &c.bus) ||
      !r.number(root, "device", false, &c.device))
    return false;

  std::string driver;
  if (!r.text(root, "driver", false, &driver)) return false;
  if (!driver.empty() && !parseVersionWord(driver, &c.driverVersion))
    return r.fail("driver", "is not a version like \"4.0.593\"");

  std::string dialect = "standard";
  if (!r.text(root, "dialect", false, &dialect)) return false;
  if (dialect == "alternate") c.dialect = DriverDialect::kAlternate;
  else if (dialect != "standard") return r.fail("dialect", "must be \"standard\" or \"alternate\"");

  if (root.contains("wp_pin")) {
    if (!root["wp_pin"].is_boolean()) return r.fail("wp_pin", "is not true or false");
    c.writeProtectPin = root["wp_pin"].get<bool>();
  }
  c.boardTypeRegister = c.board;
  if (!r.number(root, "board_type_register", false, &c.boardTypeRegister)) return false;

  if (!root.contains("ports")) return r.fail("ports", "is missing");
  if (!readPorts(root["ports"], r, &c.ports)) return false;

  std::string problem;
  if (!validateCardConfig(c, &problem)) {
    if (error) *error = path + ": " + problem;
    return false;
  }
  *config = c;
  return true;
}

bool saveCardConfig(const std::string& path, const CardConfig& c, std::string* error) {
  std::string problem;
  if (!validateCardConfig(c, &problem)) {
    if (error) *error = path + ": " + problem;
    return false;
  }
  json ports = json::array();
  for (const CardPortConfig& p : c.ports)
    ports.push_back({{"port", p.port}, {"function", p.function}, {"guid", p.guid}});
  json root = {{"name", c.name},
               {"board", hexText(c.board, 2)},
               {"subsys", hexText(c.subsys, 8)},
               {"chiprev", hexText(c.chipRevision, 2)},
               {"efuse", hexText(c.efuse, 16)},
               {"driver", versionWordText(c.driverVersion)},
               {"dialect", c.dialect == DriverDialect::kAlternate ? "alternate" : "standard"},
               {"bus", c.bus},
               {"device", c.device},
               {"wp_pin", c.writeProtectPin},
               {"board_type_register", hexText(c.boardTypeRegister, 8)},
               {"ports", ports}};
  return saveJsonFile(path, root, error);
}

}  // namespace simhost
