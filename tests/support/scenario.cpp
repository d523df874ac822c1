#include "tests/support/scenario.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "simhost/machine/files.h"

extern char** environ;

namespace corvane_test {

namespace {

std::string readAll(const std::string& path) {
  std::string data;
  simhost::readFile(path, &data, nullptr);
  return data;
}

}  // namespace

std::string binDir() { return CORVANE_TEST_BIN_DIR; }

RunResult runProgram(const std::string& path, const std::vector<std::string>& args, const std::string& input,
                     const std::string& envName, const std::string& envValue) {
  std::string pattern = (std::filesystem::temp_directory_path() / "run_XXXXXX").string();
  RunResult result;
  if (!::mkdtemp(pattern.data())) {
    ADD_FAILURE() << "no temporary directory";
    return result;
  }
  std::string in = pattern + "/in", out = pattern + "/out", err = pattern + "/err";
  simhost::writeFileAtomic(in, input, nullptr);

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string var = *e;
    if (!envName.empty() && var.compare(0, envName.size() + 1, envName + "=") == 0) continue;
    env.push_back(var);
  }
  if (!envName.empty()) env.push_back(envName + "=" + envValue);
  std::vector<char*> envp, argv;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << path;
  } else {
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status))
                                        : 128u + static_cast<uint32_t>(WTERMSIG(status));
    result.out = readAll(out);
    result.err = readAll(err);
  }
  std::filesystem::remove_all(pattern);
  return result;
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

void Scenario::addCard(const simhost::CardSpec& spec) {
  std::string error;
  EXPECT_TRUE(simhost::addCard(dir_, spec, &error)) << error;
}

void Scenario::addNic(const simhost::NicSpec& spec) {
  std::string error;
  EXPECT_TRUE(simhost::addNic(dir_, spec, &error)) << error;
}

void Scenario::addCard(const std::string& name, uint32_t board, uint32_t subsys, uint32_t ports, uint32_t bus) {
  simhost::CardSpec spec;
  spec.name = name;
  spec.board = board;
  spec.subsys = subsys;
  spec.ports = ports;
  spec.bus = bus;
  addCard(spec);
}

RunResult Scenario::run(const std::string& program, const std::vector<std::string>& args,
                        const std::string& input) const {
  return runProgram(binDir() + "/" + program, args, input, "CORVANE_SIMHOST", dir_.root);
}

RunResult Scenario::sim(const std::string& command, const std::vector<std::string>& args) const {
  std::vector<std::string> words{command, dir_.root};
  words.insert(words.end(), args.begin(), args.end());
  return runProgram(binDir() + "/corvane-sim", words, "", "", "");
}

std::string Scenario::violations() const {
  RunResult r = sim("check");
  return r.exitCode == 0 ? std::string() : r.out + r.err;
}

}  // namespace corvane_test
