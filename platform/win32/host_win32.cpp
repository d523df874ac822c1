// The native backend on Windows: every interface on the real Windows API.
#include "platform/host.h"
#include "platform/win32/win32_backend.h"

namespace platform {

namespace {

class Win32Host : public Host {
 public:
  Win32Host()
      : drivers_(makeWin32DriverChannels()),
        registry_(makeWin32Registry()),
        devices_(makeWin32DeviceSet()),
        crypto_(makeWin32Crypto()),
        console_(makeWin32Console()),
        system_(makeWin32System()),
        process_(makeWin32Process({})) {}

  DriverChannels& drivers() override { return *drivers_; }
  Registry& registry() override { return *registry_; }
  DeviceSet& devices() override { return *devices_; }
  Crypto& crypto() override { return *crypto_; }
  Console& console() override { return *console_; }
  System& system() override { return *system_; }
  Process& process() override { return *process_; }

 private:
  std::unique_ptr<DriverChannels> drivers_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<DeviceSet> devices_;
  std::unique_ptr<Crypto> crypto_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<System> system_;
  std::unique_ptr<Process> process_;
};

}  // namespace

std::unique_ptr<Host> makeNativeHost() { return std::make_unique<Win32Host>(); }

}  // namespace platform
