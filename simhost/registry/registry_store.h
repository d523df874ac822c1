// DIR/registry.reg as the registry every process of a simulated host shares.
//
// Reads use a parsed copy that is kept while the file's change counter says
// no process rewrote it (see simhost/machine/change_counter.h), so a query on
// an unchanged registry costs no system call. Changes are read-modify-write
// under the host's registry lock, against the file as it is at that moment,
// and replace the whole file atomically: two processes changing different
// values at once both keep their change, and a process killed at any point
// leaves either the old file or the new one.
//
// One store object may be shared by the threads of a process.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "simhost/machine/change_counter.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_dir.h"
#include "simhost/registry/registry_tree.h"

namespace simhost {

class RegistryStore {
 public:
  explicit RegistryStore(const HostDir& dir);

  // Calls reader with the registry as the file now holds it. False and
  // *error when the file cannot be read or is not a valid export.
  bool read(const std::function<void(const RegistryTree&)>& reader, std::string* error);

  // Calls change with the registry as the file holds it under the lock;
  // change returns whether it changed anything, and only then is the file
  // rewritten. False and *error when the file cannot be read, parsed or
  // replaced (nothing is written then).
  bool update(const std::function<bool(RegistryTree&)>& change, std::string* error);

  // Loads the file now, to report a missing or malformed registry early.
  bool check(std::string* error);

  // How often the file was parsed (reads of an unchanged file do not parse).
  uint64_t parseCount() const;

  const std::string& path() const { return path_; }

  // Writes tree as the registry of dir, under the lock (provisioning).
  static bool create(const HostDir& dir, const RegistryTree& tree, std::string* error);

 private:
  bool refreshLocked(std::string* error);
  void forgetLocked();

  std::string path_;
  std::string lockPath_;
  ChangeCounter counter_;
  mutable std::mutex mutex_;
  bool loaded_ = false;
  uint64_t generation_ = ChangeCounter::kNone;  // the counter the tree was read under
  std::string text_;  // the file's bytes the tree was parsed from
  RegistryTree tree_;
  uint64_t parses_ = 0;
};

}  // namespace simhost
