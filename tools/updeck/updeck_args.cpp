#include "tools/updeck/updeck_args.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

namespace updeck {

namespace {

bool containsNoCase(const std::string& text, const std::string& needle) {
  auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
  return it != text.end();
}

}  // namespace

bool parseRequest(const std::vector<std::string>& args, Request* request, std::string* error) {
  Request r;
  size_t i = 0;
  auto value = [&](const std::string& option, std::string* out) {
    if (i + 1 >= args.size()) {
      *error = option + " needs a value";
      return false;
    }
    *out = args[++i];
    return true;
  };
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--component") {
      if (!value(a, &r.componentDir)) return false;
    } else if (a == "--log-dir") {
      if (!value(a, &r.logDir)) return false;
    } else if (a == "--verbose") {
      r.verbose = true;
    } else if (a == "--json") {
      r.json = true;
    } else if (a == "--help" || a == "-h") {
      r.command = Command::Help;
      *request = r;
      return true;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      *error = "unknown option " + a;
      return false;
    } else {
      break;
    }
  }
  if (i == args.size()) {
    *error = "no command given";
    return false;
  }
  const std::string& command = args[i++];
  if (command == "properties") {
    r.command = Command::Properties;
  } else if (command == "install") {
    r.command = Command::Install;
    if (i < args.size() && args[i] == "--silent") {
      r.silent = true;
      ++i;
    }
  } else {
    *error = "unknown command " + command;
    return false;
  }
  r.hostArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  *request = r;
  return true;
}

std::vector<std::string> managerArguments(const Request& request) {
  std::vector<std::string> words = {"updeck"};
  words.insert(words.end(), request.hostArgs.begin(), request.hostArgs.end());
  bool hasVerboseLog = std::any_of(request.hostArgs.begin(), request.hostArgs.end(),
                                   [](const std::string& w) { return containsNoCase(w, "/verbose_log"); });
  if (request.verbose && !hasVerboseLog) words.push_back("/verbose_log");
  return words;
}

std::string encodeRequest(const Request& r) {
  nlohmann::json j = {{"component", r.componentDir}, {"logDir", r.logDir},
                      {"verbose", r.verbose},        {"json", r.json},
                      {"command", r.command == Command::Install ? "install" : "properties"},
                      {"silent", r.silent},          {"hostArgs", r.hostArgs}};
  return j.dump();
}

bool decodeRequest(const std::string& text, Request* request) {
  nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return false;
  try {
    Request r;
    r.componentDir = j.at("component").get<std::string>();
    r.logDir = j.at("logDir").get<std::string>();
    r.verbose = j.at("verbose").get<bool>();
    r.json = j.at("json").get<bool>();
    r.command = j.at("command").get<std::string>() == "install" ? Command::Install : Command::Properties;
    r.silent = j.at("silent").get<bool>();
    r.hostArgs = j.at("hostArgs").get<std::vector<std::string>>();
    *request = r;
    return true;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

std::string usageText() {
  return "usage: updeck [--component DIR] [--log-dir D] [--verbose] [--json] COMMAND [HOST-ARGS...]\n"
         "\n"
         "Loads the plug-in Brightwell from the component directory (default: the current one) as the\n"
         "update manager does, hands it updeck's own log and calls it.\n"
         "\n"
         "commands:\n"
         "  properties          interface version, every property and the install state with its text\n"
         "  install [--silent]  the component's install; HOST-ARGS make it a discovery (/d FILE),\n"
         "                      an upgrade from a report (/u FILE) or a version report (/v [FILE])\n"
         "\n"
         "options:\n"
         "  --component DIR     the component directory (the plug-in, its package files, Keelson)\n"
         "  --log-dir D         directory of the verbose log (default: the log directory of the system drive)\n"
         "  --verbose           verbose logs (adds /verbose_log to the manager's command line)\n"
         "  --json              the same output as one JSON object\n"
         "\n"
         "HOST-ARGS become the update manager's own command line: 'updeck install --silent /d report.xml'\n"
         "is the manager's discovery. The texts are in the host's UI language.\n"
         "\n"
         "exit code: the Install result (0 failed, 1 completed, 2 installed - reboot required,\n"
         "3 nothing updated); 0 for properties; 9 when updeck itself could not run the plug-in.\n";
}

}  // namespace updeck
