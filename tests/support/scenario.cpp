#include "tests/support/scenario.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "simhost/machine/files.h"
#include "simhost/provision/demo_package.h"

extern char** environ;

namespace corvane_test {

namespace {

std::string readAll(const std::string& path) {
  std::string data;
  simhost::readFile(path, &data, nullptr);
  return data;
}

// The environment of this process with one variable set (empty name: none).
std::vector<std::string> environmentWith(const std::string& envName, const std::string& envValue) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string var = *e;
    if (!envName.empty() && var.compare(0, envName.size() + 1, envName + "=") == 0) continue;
    env.push_back(var);
  }
  if (!envName.empty()) env.push_back(envName + "=" + envValue);
  return env;
}

// A child's end as Windows would report it: its exit code, or 128 + the
// signal that ended it.
uint32_t exitCodeOf(int status) {
  return WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status)) : 128u + static_cast<uint32_t>(WTERMSIG(status));
}

std::vector<char*> pointersOf(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& w : words) pointers.push_back(w.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string binDir() { return CORVANE_TEST_BIN_DIR; }

namespace {

// Runs a programme with input as its standard input; atStop (when given)
// is called each time the programme stops itself, with its pid.
RunResult runWatchingStops(const std::string& path, const std::vector<std::string>& args, const std::string& input,
                           const std::string& envName, const std::string& envValue, const std::string& cwd,
                           const std::function<void(pid_t)>& atStop) {
  std::string pattern = (std::filesystem::temp_directory_path() / "run_XXXXXX").string();
  RunResult result;
  if (!::mkdtemp(pattern.data())) {
    ADD_FAILURE() << "no temporary directory";
    return result;
  }
  std::string in = pattern + "/in", out = pattern + "/out", err = pattern + "/err";
  simhost::writeFileAtomic(in, input, nullptr);

  std::vector<std::string> env = environmentWith(envName, envValue);
  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> envp = pointersOf(env), argv = pointersOf(words);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << path;
  } else {
    int status = 0;
    while (::waitpid(pid, &status, atStop ? WUNTRACED : 0) == pid && WIFSTOPPED(status)) {
      atStop(pid);
      ::kill(pid, SIGCONT);
    }
    result.exitCode = exitCodeOf(status);
    result.out = readAll(out);
    result.err = readAll(err);
  }
  std::filesystem::remove_all(pattern);
  return result;
}

}  // namespace

RunResult runProgram(const std::string& path, const std::vector<std::string>& args, const std::string& input,
                     const std::string& envName, const std::string& envValue, const std::string& cwd) {
  return runWatchingStops(path, args, input, envName, envValue, cwd, nullptr);
}

namespace {

// Starts a programme with standard input on a pipe and, once its standard
// output shows waitFor, hands atShown its pid and the pipe's write end (which
// it may close and set to -1); then waits for the programme.
RunResult runUntilShown(const std::string& path, const std::vector<std::string>& args, const std::string& waitFor,
                        const std::string& envName, const std::string& envValue, const std::string& cwd,
                        const std::function<void(pid_t, int&)>& atShown) {
  std::string pattern = (std::filesystem::temp_directory_path() / "run_XXXXXX").string();
  RunResult result;
  int input[2];
  if (!::mkdtemp(pattern.data()) || ::pipe(input) != 0) {
    ADD_FAILURE() << "no temporary directory or pipe";
    return result;
  }
  std::string out = pattern + "/out", err = pattern + "/err";
  std::vector<std::string> env = environmentWith(envName, envValue);
  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> envp = pointersOf(env), argv = pointersOf(words);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_addclose(&actions, input[0]);
  posix_spawn_file_actions_addclose(&actions, input[1]);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  if (spawned != 0) {
    ::close(input[1]);
    ADD_FAILURE() << "cannot start " << path;
    std::filesystem::remove_all(pattern);
    return result;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (readAll(out).find(waitFor) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << path << " never printed " << waitFor;
      break;
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      ADD_FAILURE() << path << " ended before printing " << waitFor;
      ::close(input[1]);
      result.exitCode = exitCodeOf(status);
      result.out = readAll(out);
      result.err = readAll(err);
      std::filesystem::remove_all(pattern);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  atShown(pid, input[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (input[1] >= 0) ::close(input[1]);
  result.exitCode = exitCodeOf(status);
  result.out = readAll(out);
  result.err = readAll(err);
  std::filesystem::remove_all(pattern);
  return result;
}

}  // namespace

RunResult runProgramInterrupted(const std::string& path, const std::vector<std::string>& args,
                                const std::string& waitFor, const std::string& envName,
                                const std::string& envValue, const std::string& cwd) {
  return runUntilShown(path, args, waitFor, envName, envValue, cwd, [](pid_t pid, int&) { ::kill(pid, SIGINT); });
}

RunResult runProgramDuring(const std::string& path, const std::vector<std::string>& args, const std::string& waitFor,
                           const std::function<void()>& during, const std::string& envName,
                           const std::string& envValue, const std::string& cwd, const std::string& answer) {
  return runUntilShown(path, args, waitFor, envName, envValue, cwd, [&](pid_t, int& input) {
    during();
    for (size_t done = 0; done < answer.size();) {
      const ssize_t n = ::write(input, answer.data() + done, answer.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::close(input);
    input = -1;
  });
}

Scenario::Scenario() : dir_("") {
  std::string pattern = (std::filesystem::temp_directory_path() / "scenario_XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    ADD_FAILURE() << "no temporary directory";
    return;
  }
  temp_ = pattern;
  dir_ = simhost::HostDir(temp_ + "/host");
  std::string error;
  EXPECT_TRUE(simhost::createHost(dir_, &error)) << error;
}

Scenario::~Scenario() {
  if (!temp_.empty()) std::filesystem::remove_all(temp_);
}

void Scenario::addCard(const simhost::CardOrder& order) {
  std::string error;
  EXPECT_TRUE(simhost::addCard(dir_, order, &error)) << error;
}

void Scenario::addNic(const simhost::NicOrder& order) {
  std::string error;
  EXPECT_TRUE(simhost::addNic(dir_, order, &error)) << error;
}

void Scenario::addCard(const std::string& name, uint32_t board, uint32_t subsys, uint32_t ports, uint32_t bus) {
  simhost::CardOrder order;
  order.name = name;
  order.board = board;
  order.subsys = subsys;
  order.ports = ports;
  order.bus = bus;
  addCard(order);
}

void Scenario::addImagedCard(simhost::CardOrder order) {
  std::string error;
  order.imageFile = temp_ + "/" + order.name + "_romimage";
  ASSERT_TRUE(simhost::writeSingleProductImage(order.imageFile, order.firmware, order.board, order.subsys,
                                               order.chipRevision, &error))
      << error;
  addCard(order);
  std::filesystem::remove(order.imageFile);
}

void Scenario::addImagedCard(const std::string& name, uint32_t board, uint32_t subsys, uint32_t ports,
                             uint32_t bus) {
  simhost::CardOrder order;
  order.name = name;
  order.board = board;
  order.subsys = subsys;
  order.ports = ports;
  order.bus = bus;
  addImagedCard(order);
}

RunResult Scenario::run(const std::string& program, const std::vector<std::string>& args,
                        const std::string& input) const {
  return runProgram(binDir() + "/" + program, args, input, "CORVANE_SIMHOST", dir_.root);
}

RunResult Scenario::runIn(const std::string& cwd, const std::string& program, const std::vector<std::string>& args,
                          const std::string& input) const {
  return runProgram(binDir() + "/" + program, args, input, "CORVANE_SIMHOST", dir_.root, cwd);
}

RunResult Scenario::runAtPause(const std::string& cwd, const std::string& program,
                              const std::vector<std::string>& args, const std::string& input,
                              const std::function<void(int pid)>& atPause) const {
  return runWatchingStops(binDir() + "/" + program, args, input, "CORVANE_SIMHOST", dir_.root, cwd,
                          [&](pid_t pid) { atPause(static_cast<int>(pid)); });
}

RunResult Scenario::runSignalledAtPause(const std::string& cwd, const std::string& program,
                                       const std::vector<std::string>& args, const std::string& input, int signal,
                                       bool* paused) const {
  *paused = false;
  return runAtPause(cwd, program, args, input, [&](int pid) {
    *paused = true;
    ::kill(pid, signal);
  });
}

RunResult Scenario::sim(const std::string& command, const std::vector<std::string>& args) const {
  std::vector<std::string> words{command, dir_.root};
  words.insert(words.end(), args.begin(), args.end());
  return runProgram(binDir() + "/corvane-sim", words, "", "", "");
}

RunResult Scenario::runDuring(const std::string& program, const std::vector<std::string>& args,
                              const std::string& waitFor, const std::function<void()>& during,
                              const std::string& cwd, const std::string& answer) const {
  return runProgramDuring(binDir() + "/" + program, args, waitFor, during, "CORVANE_SIMHOST", dir_.root, cwd,
                          answer);
}

RunResult Scenario::runInterrupted(const std::string& program, const std::vector<std::string>& args,
                                   const std::string& waitFor, const std::string& cwd) const {
  return runProgramInterrupted(binDir() + "/" + program, args, waitFor, "CORVANE_SIMHOST", dir_.root, cwd);
}

std::string Scenario::violations() const {
  RunResult r = sim("check");
  return r.exitCode == 0 ? std::string() : r.out + r.err;
}

}  // namespace corvane_test
