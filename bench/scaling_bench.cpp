// How burnkit's cost grows with the number of cards in one server: hosts of
// 1, 2, 4, 8, 16 and 32 dual-port cards at an older firmware, each run once
// as a process in the package directory: `-d` (the discovery report), `-u`
// from that report (every card upgraded) and `-i BUS:0.0 --info` on the last
// card. Printed per card: wall time, its ratio to the one-card host, and the
// simulated host's file-status calls and state-file parses (from
// CORVANE_SIMHOST_COUNTS). Linear work keeps the ratio near 1.
//
// Each host size is provisioned afresh and run REPEATS times (default 3);
// the table shows the median wall time of the repeats, with the user and
// system CPU time of that run beside it: wall time that grows while the CPU
// time per card stays flat is time spent waiting (for the disk, or for a
// processor on a busy machine). The CPU times are the kernel's, sampled at
// its clock tick: meaningful for the upgrade, not for a run of a few
// milliseconds. The host and the backups are written under TMPDIR (a tmpfs
// there takes the disk out). Usage:
//   scaling_bench [MAX_CARDS [REPEATS]]   (default 32 3)
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <string>
#include <vector>

#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBoard = 0x26;
constexpr uint32_t kSubsys = 0x01264040;
constexpr uint32_t kFirstBus = 3;

struct Measure {
  double seconds = 0;
  double userSeconds = 0, systemSeconds = 0;
  double fileStatus = 0;
  double parses = 0;
  bool ok = false;
};

struct Cpu {
  double user = 0, system = 0;
};

// CPU time of every child waited for so far (the shell and burnkit).
Cpu childrenCpu() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

class ScalingHost {
 public:
  ScalingHost(const std::string& root, int cards) : root_(root), cards_(cards) {}

  bool provision(std::string* error) {
    simhost::HostDir dir(root_ + "/host");
    if (!simhost::createHost(dir, error)) return false;
    const std::string oldImage = root_ + "/old_romimage";
    if (!simhost::writeSingleProductImage(oldImage, "4.0.500", kBoard, kSubsys, 0x42, error)) return false;
    for (int i = 0; i < cards_; ++i) {
      simhost::CardOrder order;
      order.name = "card" + std::to_string(i);
      order.board = kBoard;
      order.subsys = kSubsys;
      order.ports = 2;
      order.bus = kFirstBus + static_cast<uint32_t>(i);
      order.firmware = "4.0.500";
      order.imageFile = oldImage;
      if (!simhost::addCard(dir, order, error)) return false;
    }
    if (!simhost::writeDemoPackage(dir, "4.0.593", error)) return false;
    package_ = simhost::demoPackageDir(dir);
    host_ = dir.root;
    return true;
  }

  std::string lastCardLocation() const { return std::to_string(kFirstBus + cards_ - 1) + ":0.0"; }
  std::string report() const { return package_ + "/nicdiscovery.xml"; }

  // Runs burnkit with args; ok when it ends with one of the expected codes.
  Measure run(const std::string& args, std::vector<int> okCodes) const {
    const std::string counts = root_ + "/counts";
    std::error_code ignored;
    fs::remove(counts, ignored);
    const std::string command = "cd '" + package_ + "' && CORVANE_SIMHOST='" + host_ + "' CORVANE_SIMHOST_COUNTS='" +
                                counts + "' '" CORVANE_BENCH_BIN_DIR "/burnkit' " + args + " > /dev/null 2>&1";
    Measure m;
    const Cpu before = childrenCpu();
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Cpu after = childrenCpu();
    m.userSeconds = after.user - before.user;
    m.systemSeconds = after.system - before.system;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (int ok : okCodes) m.ok = m.ok || code == ok;
    std::ifstream in(counts);
    std::string word;
    unsigned long long status_ = 0, parses = 0;
    while (in >> word >> status_ >> word >> parses) {
      m.fileStatus += static_cast<double>(status_);
      m.parses += static_cast<double>(parses);
    }
    return m;
  }

 private:
  std::string root_;
  int cards_;
  std::string host_, package_;
};

struct Row {
  int cards = 0;
  Measure discovery, upgrade, info;
};

void printTable(const char* title, const std::vector<Row>& rows, Measure Row::*which, bool perCard) {
  std::printf("\n%s\n%6s %12s %8s %10s %10s %14s %10s\n", title, "cards", perCard ? "ms/card" : "ms", "ratio",
              "user ms", "sys ms", perCard ? "stat/card" : "stat", perCard ? "parse/card" : "parse");
  const double base = rows.empty() ? 0 : (rows.front().*which).seconds / (perCard ? rows.front().cards : 1);
  for (const Row& row : rows) {
    const Measure& m = row.*which;
    const double n = perCard ? row.cards : 1;
    const double seconds = m.seconds / n;
    std::printf("%6d %12.2f %8.2f %10.2f %10.2f %14.1f %10.1f%s\n", row.cards, seconds * 1000,
                base > 0 ? seconds / base : 0, m.userSeconds * 1000 / n, m.systemSeconds * 1000 / n, m.fileStatus / n,
                m.parses / n, m.ok ? "" : "  (failed)");
  }
}

// The repeat with the median wall time; ok only when every repeat was.
Measure median(std::vector<Measure> runs) {
  std::sort(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
  Measure m = runs[runs.size() / 2];
  for (const Measure& r : runs) m.ok = m.ok && r.ok;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  const int maxCards = argc > 1 ? std::atoi(argv[1]) : 32;
  const int repeats = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
  std::string pattern = (fs::temp_directory_path() / "scaling_bench_XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string root = pattern;
  std::vector<Row> rows;
  int status = 0;
  for (int cards = 1; cards <= maxCards && status == 0; cards *= 2) {
    std::vector<Measure> discovery, upgrade, info;
    for (int repeat = 0; repeat < repeats && status == 0; ++repeat) {
      const std::string dir = root + "/" + std::to_string(cards);
      fs::create_directories(dir);
      ScalingHost host(dir, cards);
      std::string error;
      if (!host.provision(&error)) {
        std::fprintf(stderr, "%d cards: %s\n", cards, error.c_str());
        status = 1;
        break;
      }
      discovery.push_back(host.run("-d '" + host.report() + "'", {0}));
      upgrade.push_back(host.run("-u '" + host.report() + "'", {0}));
      info.push_back(host.run("-i " + host.lastCardLocation() + " --info", {0}));
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
    if (status != 0) break;
    Row row;
    row.cards = cards;
    row.discovery = median(discovery);
    row.upgrade = median(upgrade);
    row.info = median(info);
    if (!row.discovery.ok || !row.upgrade.ok || !row.info.ok) status = 1;
    rows.push_back(row);
  }
  printTable("burnkit -d (discovery report)", rows, &Row::discovery, true);
  printTable("burnkit -u (every card upgraded from the report)", rows, &Row::upgrade, true);
  printTable("burnkit -i LAST --info (one card of the host)", rows, &Row::info, false);
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return status;
}
