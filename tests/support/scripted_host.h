// In-process tests of code that talks to the console: a simulated host
// whose console reads its input from a script and keeps control handlers
// to itself instead of taking the test process's signals.
#pragma once

#include <memory>
#include <string>

#include "platform/host.h"

namespace corvane_test {

class ScriptedConsole : public platform::Console {
 public:
  explicit ScriptedConsole(std::string input) : input_(std::move(input)) {}

  bool setControlHandler(platform::ConsoleHandler handler) override;
  int readChar() override;
  bool readLine(std::string* line) override;
  void discardPendingInput() override {}  // scripted input is piped input: kept
  void setTitle(const std::string&) override {}
  bool outputIsConsole() override { return false; }
  bool setWindowSize(int, int) override { return false; }
  bool setBufferSize(int, int) override { return false; }

  // The handler last installed (empty when none), and the input not read yet.
  const platform::ConsoleHandler& handler() const { return handler_; }
  std::string unread() const { return input_.substr(position_); }

 private:
  std::string input_;
  size_t position_ = 0;
  platform::ConsoleHandler handler_;
};

// The simulated host in dir with a scripted console; nullptr (and a test
// failure) when dir holds no host.
class ScriptedHost : public platform::Host {
 public:
  ScriptedHost(std::unique_ptr<platform::Host> inner, std::string input)
      : inner_(std::move(inner)), console_(std::move(input)) {}

  platform::DriverChannels& drivers() override { return inner_->drivers(); }
  platform::Registry& registry() override { return inner_->registry(); }
  platform::DeviceSet& devices() override { return inner_->devices(); }
  platform::Crypto& crypto() override { return inner_->crypto(); }
  platform::Console& console() override { return console_; }
  platform::System& system() override { return inner_->system(); }
  platform::Process& process() override { return inner_->process(); }

  ScriptedConsole& scriptedConsole() { return console_; }

 private:
  std::unique_ptr<platform::Host> inner_;
  ScriptedConsole console_;
};

// Makes the process's host the simulated host in dir with console input
// taken from input; returns it for inspection (owned by the platform).
ScriptedHost* useScriptedSimHost(const std::string& dir, const std::string& input = std::string());

}  // namespace corvane_test
