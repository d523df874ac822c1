// What updeck prints: the codes and texts the plug-in answered. Texts keep
// their own line breaks in JSON; as text, "\r\n" becomes the terminal's "\n".
#include <nlohmann/json.hpp>
#include <sstream>

#include "tools/updeck/session.h"

namespace updeck {

namespace {

std::string terminalText(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

std::string renderText(const Request& request, const SessionOutcome& o) {
  std::ostringstream out;
  out << "Interface version: " << o.interfaceVersion << "\n";
  out << "PropLogger (9): result " << o.loggerResult << "\n";
  for (const PropertyAnswer& p : o.properties) {
    out << p.name << " (" << p.id << "): result " << p.result;
    if (p.text) out << ": " << terminalText(*p.text);
    if (p.number) out << ": " << *p.number;
    out << "\n";
    if (p.id == 4 && o.installState) {
      const InstallStateAnswer& s = *o.installState;
      out << "PropInstallState (5): result " << s.result << ": state " << s.state;
      if (!stateName(s.state).empty()) out << " (" << stateName(s.state) << ")";
      out << "\n";
      if (!s.message.empty()) out << terminalText(s.message) << "\n";
    }
  }
  if (o.install) {
    out << "Install" << (request.silent ? " (silent)" : "") << ": result " << o.install->result << "\n";
    if (!o.install->message.empty()) out << terminalText(o.install->message) << "\n";
  }
  return out.str();
}

std::string renderJson(const Request& request, const SessionOutcome& o) {
  nlohmann::json j;
  j["hostCommandLine"] = o.hostCommandLine;
  j["interfaceVersion"] = o.interfaceVersion;
  j["logger"] = {{"result", o.loggerResult}, {"hostLogEntries", o.hostLogEntries}};
  if (request.command == Command::Properties) {
    nlohmann::json props = nlohmann::json::array();
    for (const PropertyAnswer& p : o.properties) {
      nlohmann::json entry = {{"id", p.id}, {"name", p.name}, {"result", p.result}};
      if (p.text) entry["text"] = *p.text;
      if (p.number) entry["value"] = *p.number;
      props.push_back(entry);
    }
    j["properties"] = props;
  }
  if (o.installState) {
    j["installState"] = {{"result", o.installState->result},
                         {"state", o.installState->state},
                         {"stateName", stateName(o.installState->state)},
                         {"message", o.installState->message}};
  }
  if (o.install) {
    j["install"] = {{"silent", o.install->silent}, {"result", o.install->result}, {"message", o.install->message}};
  }
  j["exitCode"] = exitCodeOf(request, o);
  return j.dump(2) + "\n";
}

}  // namespace updeck
