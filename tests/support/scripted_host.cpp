#include "tests/support/scripted_host.h"

#include <gtest/gtest.h>

namespace corvane_test {

bool ScriptedConsole::setControlHandler(platform::ConsoleHandler handler) {
  handler_ = std::move(handler);
  return true;
}

int ScriptedConsole::readChar() {
  if (position_ >= input_.size()) return -1;
  return static_cast<unsigned char>(input_[position_++]);
}

bool ScriptedConsole::readLine(std::string* line) {
  line->clear();
  if (position_ >= input_.size()) return false;
  size_t end = input_.find('\n', position_);
  if (end == std::string::npos) end = input_.size();
  *line = input_.substr(position_, end - position_);
  position_ = end < input_.size() ? end + 1 : end;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

ScriptedHost* useScriptedSimHost(const std::string& dir, const std::string& input) {
  std::string error;
  std::unique_ptr<platform::Host> sim = platform::makeSimHost(dir, &error);
  if (!sim) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  auto host = std::make_unique<ScriptedHost>(std::move(sim), input);
  ScriptedHost* raw = host.get();
  platform::setHost(std::move(host));
  return raw;
}

}  // namespace corvane_test
