// A fresh simulated host in a temporary directory, and running the real
// programmes against it: exit code, standard output and standard error
// captured apart, standard input given as text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simhost/machine/host_dir.h"
#include "simhost/provision/provision.h"

namespace corvane_test {

struct RunResult {
  uint32_t exitCode = 0;  // 8 bits on Linux: exit(-1) arrives as 255
  std::string out;
  std::string err;
};

// The built programmes' directory (burnkit, corvane-sim, romimage, ...).
std::string binDir();

class Scenario {
 public:
  // Creates an empty host (createHost) in a new temporary directory.
  Scenario();
  ~Scenario();
  Scenario(const Scenario&) = delete;
  Scenario& operator=(const Scenario&) = delete;

  const std::string& root() const { return dir_.root; }
  const simhost::HostDir& dir() const { return dir_; }

  // Provisioning; a failure fails the current test.
  void addCard(const simhost::CardOrder& order);
  void addNic(const simhost::NicOrder& order);
  // A Corvane card with the usual defaults for what is not given.
  void addCard(const std::string& name, uint32_t board, uint32_t subsys, uint32_t ports, uint32_t bus);
  // A card whose flash is what an upgrade to order.firmware would leave: the
  // picture of a one-product synthetic ROM image for its board type,
  // subsystem and chip revision, with the board's own data and a valid MD5
  // table (order.imageFile is made here).
  void addImagedCard(simhost::CardOrder order);
  void addImagedCard(const std::string& name, uint32_t board, uint32_t subsys, uint32_t ports, uint32_t bus);

  // Runs a programme from binDir() with CORVANE_SIMHOST set to this host.
  RunResult run(const std::string& program, const std::vector<std::string>& args,
                const std::string& input = std::string()) const;
  // The same in another working directory (where burnkit looks for its
  // image and writes its backups).
  RunResult runIn(const std::string& cwd, const std::string& program, const std::vector<std::string>& args,
                  const std::string& input = std::string()) const;
  // Runs a programme like runIn(); each time it stops itself (a pause fault
  // of the simulated host), calls atPause with its pid and then lets it go
  // on.
  RunResult runAtPause(const std::string& cwd, const std::string& program, const std::vector<std::string>& args,
                       const std::string& input, const std::function<void(int pid)>& atPause) const;
  // Runs a programme like runIn(); when it stops itself (a pause fault of
  // the simulated host), sends it `signal` and lets it go on. *paused says
  // whether it stopped at all.
  RunResult runSignalledAtPause(const std::string& cwd, const std::string& program,
                                const std::vector<std::string>& args, const std::string& input, int signal,
                                bool* paused) const;
  // corvane-sim with this host's directory inserted after the command word.
  RunResult sim(const std::string& command, const std::vector<std::string>& args = {}) const;
  // corvane-sim check: the empty string when no protocol violation was
  // recorded, else its report.
  std::string violations() const;
  // Runs a programme like run(), with standard input open but empty, and
  // sends it SIGINT (Ctrl+C) once its standard output shows waitFor; the
  // programme's output until it ends. A programme that never shows it is
  // interrupted after a few seconds (a failure of the current test).
  RunResult runInterrupted(const std::string& program, const std::vector<std::string>& args,
                           const std::string& waitFor, const std::string& cwd = std::string()) const;
  // Runs a programme like runInterrupted(), but once its standard output
  // shows waitFor calls during() while it still runs (waiting for input),
  // then gives it answer as its standard input, ends that and waits for it.
  RunResult runDuring(const std::string& program, const std::vector<std::string>& args, const std::string& waitFor,
                      const std::function<void()>& during, const std::string& cwd = std::string(),
                      const std::string& answer = std::string()) const;

 private:
  std::string temp_;
  simhost::HostDir dir_;
};

// Runs any executable with an environment variable set (empty name: none).
RunResult runProgram(const std::string& path, const std::vector<std::string>& args, const std::string& input,
                     const std::string& envName, const std::string& envValue, const std::string& cwd = std::string());
// The same, standard input empty and kept open, with SIGINT once standard
// output holds waitFor.
RunResult runProgramInterrupted(const std::string& path, const std::vector<std::string>& args,
                                const std::string& waitFor, const std::string& envName,
                                const std::string& envValue, const std::string& cwd = std::string());
// The same with during() called instead of the interruption, then answer
// given as standard input and that ended.
RunResult runProgramDuring(const std::string& path, const std::vector<std::string>& args, const std::string& waitFor,
                           const std::function<void()>& during, const std::string& envName,
                           const std::string& envValue, const std::string& cwd = std::string(),
                           const std::string& answer = std::string());

}  // namespace corvane_test
