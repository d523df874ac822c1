#include "simhost/registry/registry_store.h"

#include <utility>

#include "simhost/registry/registry_export.h"

namespace simhost {

RegistryStore::RegistryStore(const HostDir& dir) : path_(dir.registryReg()), lockPath_(dir.registryLock()) {}

void RegistryStore::forgetLocked() {
  loaded_ = false;
  text_.clear();
  tree_ = RegistryTree();
}

// Brings the cached tree up to date with the file. The stamp is taken before
// the read: a rewrite in between leaves a newer text under an older stamp,
// which only costs one extra parse later. Without trustStamp the file is
// read even when its stamp is unchanged (it is parsed only if its bytes are
// not the ones the tree came from).
bool RegistryStore::refreshLocked(bool trustStamp, std::string* error) {
  FileStamp now;
  if (!fileStamp(path_, &now)) {
    forgetLocked();
    if (error) *error = path_ + ": the registry file is missing";
    return false;
  }
  if (trustStamp && loaded_ && now == stamp_ && stampIsSettled(now)) return true;
  std::string text;
  if (!readFile(path_, &text, error)) {
    forgetLocked();
    return false;
  }
  if (loaded_ && text == text_) {
    stamp_ = now;
    return true;
  }
  RegistryTree tree;
  std::string problem;
  ++parses_;
  if (!parseRegistryExport(text, path_, &tree, &problem)) {
    forgetLocked();
    if (error) *error = problem;
    return false;
  }
  tree_ = std::move(tree);
  text_ = std::move(text);
  stamp_ = now;
  loaded_ = true;
  return true;
}

bool RegistryStore::read(const std::function<void(const RegistryTree&)>& reader, std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!refreshLocked(/*trustStamp=*/true, error)) return false;
  reader(tree_);
  return true;
}

bool RegistryStore::check(std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  return refreshLocked(/*trustStamp=*/true, error);
}

bool RegistryStore::update(const std::function<bool(RegistryTree&)>& change, std::string* error) {
  std::lock_guard<std::mutex> guard(mutex_);
  FileLock lock(lockPath_);
  if (!lock.held()) {
    if (error) *error = lockPath_ + ": the registry lock cannot be taken";
    return false;
  }
  // Under the lock the file's bytes decide, not its stamp: a stamp can repeat
  // (inode reused within one clock tick) and a lost update is worse than a read.
  if (!refreshLocked(/*trustStamp=*/false, error)) return false;
  if (!change(tree_)) return true;
  std::string text = formatRegistryExport(tree_);
  if (!writeFileAtomic(path_, text, error)) {
    forgetLocked();
    return false;
  }
  text_ = std::move(text);
  if (!fileStamp(path_, &stamp_)) forgetLocked();
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
  return writeFileAtomic(dir.registryReg(), formatRegistryExport(tree), error);
}

}  // namespace simhost
