#include "sw/tools/flashLoader/hostglue/instance_lock.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

std::string g_lockPath;

const bool kReset = register_state_reset([] { g_lockPath.clear(); });

enum class CreateResult { Created, Exists, Failed };

// Create-new, so that of two runs started together only one holds the lock.
// The file names its owner ("<process id> <start time>"), so that a later
// run can tell a live run from one that ended without cleaning up.
CreateResult create_lock_file() {
  errno = 0;
  std::FILE* file = std::fopen(g_lockPath.c_str(), "wx");
  if (file) {
    const platform::ProcessStamp self = platform::host().process().self();
    std::fprintf(file, "%u %llu\n", self.id, static_cast<unsigned long long>(self.started));
    std::fclose(file);
    return CreateResult::Created;
  }
  return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
}

// The owner a lock file names; nothing for a file without one (written by
// an older tool or the upgrade wrapper, or cut short).
std::optional<platform::ProcessStamp> lock_owner() {
  std::FILE* file = std::fopen(g_lockPath.c_str(), "r");
  if (!file) return std::nullopt;
  unsigned id = 0;
  unsigned long long started = 0;
  const bool named = std::fscanf(file, "%u %llu", &id, &started) == 2;
  std::fclose(file);
  if (!named || id == 0) return std::nullopt;
  return platform::ProcessStamp{id, started};
}

int report_create_failed() {
  out_printf("File %s create failed", g_lockPath.c_str());
  return -1;
}

}  // namespace

void prepare_lock_path() { g_lockPath = platform::host().system().tempDirectory() + kLockFileName; }

const std::string& lock_path() { return g_lockPath; }

int take_instance_lock() {
  CreateResult created = create_lock_file();
  if (created == CreateResult::Created) return 0;
  if (created == CreateResult::Failed) return report_create_failed();

  // A run that still works on the adapters is never second-guessed: this run
  // ends as if the question below had been answered "N".
  if (std::optional<platform::ProcessStamp> owner = lock_owner();
      owner && owner->id != platform::host().process().self().id && platform::host().process().running(*owner)) {
    out_printf("Another Corvane tool (process %u) is running and holds %s: this run does not touch the adapters.\n",
               owner->id, g_lockPath.c_str());
    out_printf("EXITING....!!\n");
    return -1;
  }

  out_printf("Warning: Either another Corvane tool is already running, or your last session did not close "
              "gracefully.\n");
  out_printf("Do you want to proceed anyway ? (Y/N) \n");
  flush_out();
  platform::Console& console = platform::host().console();
  console.discardPendingInput();
  const int answer = console.readChar();
  const int next = console.readChar();
  if (next == '\n' && (answer == 'Y' || answer == 'y')) {
    remove_lock_file();
    // This run holds the lock from here on, like any other run.
    if (create_lock_file() != CreateResult::Created) return report_create_failed();
    return 0;
  }
  if (answer == 'N' || answer == 'n') {
    out_printf("EXITING....!!\n");
    return -1;
  }
  out_printf("Wrong choice entered!!\n");
  return -1;
}

void remove_lock_file() {
  if (g_lockPath.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(g_lockPath, ignored);
}
