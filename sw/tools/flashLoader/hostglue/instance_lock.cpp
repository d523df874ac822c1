#include "sw/tools/flashLoader/hostglue/instance_lock.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

std::string g_lockPath;

const bool kReset = register_state_reset([] { g_lockPath.clear(); });

enum class CreateResult { Created, Exists, Failed };

// Create-new, so that of two runs started together only one holds the lock.
CreateResult create_lock_file() {
  errno = 0;
  std::FILE* file = std::fopen(g_lockPath.c_str(), "wx");
  if (file) {
    std::fclose(file);
    return CreateResult::Created;
  }
  return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
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
