// Whether the adapters' driver allows a firmware update: the driver file and
// its service for the operating-system generation, then the wrapper's own
// dependency check ("/sv").
#include <string>

#include "platform/files.h"
#include "platform/host.h"
#include "plugin/CStr/cstr.h"
#include "plugin/Source/basecomp/service_check.h"
#include "plugin/component/component.h"
#include "plugin/component/string_table.h"
#include "plugin/component/wrapper_runner.h"

namespace brightwell {

namespace {

struct Generation {
  bool old;                   // Windows Server 2003 family (NT 5.2)
  const char* driverFile;     // in the system directory's "drivers"
  const char* service;        // the adapters' driver service
  uint32_t refusedStringId;   // the wrapper refused the driver and firmware set
};

constexpr Generation kOldGeneration = {true, "orlnd5x64.sys", "CVND5OR", 20};
constexpr Generation kNewGeneration = {false, "svxgnd64.sys", "SVNDNIC", 21};

// The earlier driver that must be updated on the new generation.
constexpr char kOutdatedService[] = "CVND6OR";

const Generation& generationOfThisSystem() {
  const platform::OsVersion os = platform::host().system().osVersion();
  const bool old = os.platformId == 2 && os.major == 5 && os.minor > 1;
  return old ? kOldGeneration : kNewGeneration;
}

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/' || directory.back() == '\\') return directory + name;
  return directory + "/" + name;
}

}  // namespace

int32_t CComponent::AreDependenciesMet(char16_t* message, uint32_t capacity, const char16_t*) {
  trace(__LINE__, u"Enter Brightwell::AreDependenciesMet function.\r\n");
  platform::System& system = platform::host().system();
  const Generation& generation = generationOfThisSystem();
  const bool outdatedRuns = !generation.old && serviceRuns(kOutdatedService);
  if (outdatedRuns) {
    trace(__LINE__, u"Brightwell -- CVND6OR service is running.  Please update driver to version 4.3.11.407 or "
                    u"later for successful operation.\r\n");
  }

  const std::string systemDirectory = system.systemDirectory();
  const std::string drivers = joinPath(systemDirectory, "drivers");
  bool driverReady = platform::fileExists(joinPath(drivers, generation.driverFile));
  if (!driverReady) {
    trace(__LINE__, u"Brightwell::AreDependenciesMet -- driver was not found at " + system.fromAnsi(systemDirectory) +
                        u"\\drivers \r\n");
  } else if (!serviceRuns(generation.service)) {
    driverReady = false;
    trace(__LINE__, u"Brightwell::AreDependenciesMet -- " + system.fromAnsi(generation.service) +
                        u" doesnt exist or is not running. \r\n");
  }

  if (!driverReady) {
    if (message) {
      copyBounded(message, capacity, loadString(18));
      if (outdatedRuns) appendBounded(message, capacity, loadString(19));
    }
  } else {
    const int32_t code = static_cast<int32_t>(runHidden(wrapperCommandLine({"/sv"})));
    if (code == 1 || code == 2) {
      trace(__LINE__, u"Brightwell::Dependencies -- Driver and firmware set allowed for update.\r\n");
      if (message) appendBounded(message, capacity, loadString(22));
      trace(__LINE__, u"Exit Brightwell::AreDependenciesMet : True.\r\n");
      return 1;
    }
    if (code == 3) {
      trace(__LINE__, u"Brightwell::Dependencies -- Another instance of burnkit is currently running.\r\n");
    } else {
      trace(__LINE__, u"Brightwell::Dependencies -- Driver and firmware set are not allowed for update.\r\n");
      if (message) appendBounded(message, capacity, loadString(generation.refusedStringId));
    }
  }
  trace(__LINE__, u"Exit Brightwell::AreDependenciesMet : False.\r\n");
  return 0;
}

}  // namespace brightwell
