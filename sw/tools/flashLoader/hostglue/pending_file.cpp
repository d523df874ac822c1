#include "sw/tools/flashLoader/hostglue/pending_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kNamesTried = 100;

// The name with "_2", "_3", ... appended from the second try on.
std::string numbered(const std::string& base, int n) { return n == 1 ? base : base + "_" + std::to_string(n); }

// A hard link fails rather than replace; where the file system has none,
// the name is taken when it is still free.
bool take_first_free_name(const std::string& writing, std::string* path) {
  const std::string base = *path;
  for (int n = 1; n <= kNamesTried; ++n) {
    const std::string candidate = numbered(base, n);
    std::error_code ec;
    std::filesystem::create_hard_link(writing, candidate, ec);
    if (!ec) {
      std::filesystem::remove(writing, ec);
      *path = candidate;
      return true;
    }
    if (std::filesystem::exists(candidate, ec)) continue;
    std::filesystem::rename(writing, candidate, ec);
    if (ec) return false;
    *path = candidate;
    return true;
  }
  return false;
}

}  // namespace

PendingFile open_pending_file(const std::string& path) {
  const std::filesystem::path target(path);
  const std::string base = (target.parent_path() / ("incomplete_" + target.filename().string())).string();
  PendingFile pending;
  for (int n = 1; n <= kNamesTried && !pending.file; ++n) {
    pending.writing = numbered(base, n);
    errno = 0;
    pending.file.reset(std::fopen(pending.writing.c_str(), "wbx"));
    if (!pending.file && errno != EEXIST) break;
  }
  if (!pending.file) return pending;
  // The files hold a board's serial number and MAC addresses.
  std::error_code ignored;
  std::filesystem::permissions(pending.writing,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::replace, ignored);
  return pending;
}

bool publish_pending_file(PendingFile pending, std::string* path, bool written) {
  const bool closed = std::fclose(pending.file.release()) == 0;
  if (closed && written && take_first_free_name(pending.writing, path)) return true;
  std::error_code ignored;
  std::filesystem::remove(pending.writing, ignored);
  return false;
}

void abandon_pending_file(PendingFile pending) {
  std::fclose(pending.file.release());
  std::error_code ignored;
  std::filesystem::remove(pending.writing, ignored);
}
