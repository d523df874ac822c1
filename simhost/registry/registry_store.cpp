#include "simhost/registry/registry_store.h"

#include <utility>

#include "simhost/machine/state_counts.h"
#include "simhost/registry/registry_export.h"

namespace simhost {

RegistryStore::RegistryStore(const HostDir& dir)
    : path_(dir.registryReg()), lockPath_(dir.registryLock()), counter_(dir.registryReg()) {}

void RegistryStore::forgetLocked() {
  loaded_ = false;
  generation_ = ChangeCounter::kNone;
  text_.clear();
  tree_ = RegistryTree();
}

// Brings the cached tree up to date with the file. The counter is taken
// before the read: a rewrite in between leaves a newer text under an older
// counter, which only costs one extra read later. A text equal to the one
// the tree came from is not parsed again.
bool RegistryStore::refreshLocked(std::string* error) {
  const uint64_t now = counter_.current();
  if (loaded_ && ChangeCounter::unchanged(generation_, now)) return true;
  std::string text;
  if (!readFile(path_, &text, error)) {
    forgetLocked();
    if (error && !fileExists(path_)) *error = path_ + ": the registry file is missing";
    return false;
  }
  if (loaded_ && text == text_) {
    generation_ = now;
    return true;
  }
  RegistryTree tree;
  std::string problem;
  ++parses_;
  countStateParse();
  if (!parseRegistryExport(text, path_, &tree, &problem)) {
    forgetLocked();
    if (error) *error = problem;
    return false;
  }
  tree_ = std::move(tree);
  text_ = std::move(text);
  generation_ = now;
  loaded_ = true;
  return true;
}

bool RegistryStore::read(const std::function<void(const RegistryTree&)>& reader, std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!refreshLocked(error)) return false;
  reader(tree_);
  return true;
}

bool RegistryStore::check(std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  return refreshLocked(error);
}

bool RegistryStore::update(const std::function<bool(RegistryTree&)>& change, std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  FileLock lock(lockPath_);
  if (!lock.held()) {
    if (error) *error = lockPath_ + ": the registry lock cannot be taken";
    return false;
  }
  // Under the lock the change counter says whether another process changed
  // the file since this one read it: a lost update is worse than a read.
  if (!refreshLocked(error)) return false;
  if (!change(tree_)) return true;
  std::string text = formatRegistryExport(tree_);
  uint64_t after = ChangeCounter::kNone;
  if (!counter_.rewrite(text, error, &after)) {
    forgetLocked();
    return false;
  }
  text_ = std::move(text);
  generation_ = after;
  return true;
}

uint64_t RegistryStore::parseCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return parses_;
}

bool RegistryStore::create(const HostDir& dir, const RegistryTree& tree, std::string* error) {
  FileLock lock(dir.registryLock());
  if (!lock.held()) {
    if (error) *error = dir.registryLock() + ": the registry lock cannot be taken";
    return false;
  }
  return writeStateFile(dir.registryReg(), formatRegistryExport(tree), error);
}

}  // namespace simhost
