// A component directory on a fresh simulated host, driven through updeck as
// the update manager drives the plug-in: updeck and Brightwell beside the
// package files, and (unless a test wants the real one) a stand-in wrapper
// that records each command line it is given and answers with the exit code
// the test chose for its first option.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "simhost/provision/component_files.h"
#include "simhost/provision/driver_service.h"
#include "tests/support/scenario.h"

namespace corvane_test {

// Answers: "crash" ends the stand-in by a signal; "chatty N" writes 4 MiB to
// its standard output first, then exits with N.
inline constexpr char kStandInWrapper[] = R"(#!/bin/sh
printf '%s\n' "$*" >> wrapper_calls.txt
code=$(awk -v o="${1:-none}" '$1 == o { sub(/^[^ ]* /, ""); print; exit }' wrapper_codes.txt 2>/dev/null)
case "$code" in
  crash) kill -SEGV $$ ;;
  chatty*) head -c 4194304 /dev/zero; code=${code#chatty } ;;
esac
exit "${code:-1}"
)";

class UpdeckFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    component_ = s_.root() + "/component";
    fs::create_directories(component_);
    // updeck beside the wrapper: the plug-in's program search looks in the
    // host program's own directory first.
    fs::copy_file(binDir() + "/updeck", component_ + "/updeck");
    fs::create_symlink(binDir() + "/Brightwell.so", component_ + "/Brightwell.so");
    std::string error;
    ASSERT_TRUE(simhost::writeComponentFiles(component_, "4.0.593", &error)) << error;
    ASSERT_TRUE(simhost::addDriverService(s_.dir(), "SVNDNIC", "system32\\DRIVERS\\svxgnd64.sys", "running", &error))
        << error;
    write("Keelson", kStandInWrapper);
    fs::permissions(component_ + "/Keelson", fs::perms::owner_all);
    s_.addCard("sfp26", 0x26, 0x01264040, 2, 5);
  }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(component_ + "/" + name, std::ios::binary) << text;
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  // The stand-in's exit code per first option ("/s", "/sv", "/N", ...).
  void answers(const std::map<std::string, std::string>& codes) const {
    std::string text;
    for (const auto& [option, code] : codes) text += option + " " + code + "\n";
    write("wrapper_codes.txt", text);
  }
  std::vector<std::string> wrapperCalls() const {
    std::vector<std::string> calls;
    std::istringstream in(read(component_ + "/wrapper_calls.txt"));
    for (std::string line; std::getline(in, line);) calls.push_back(line);
    std::filesystem::remove(component_ + "/wrapper_calls.txt");
    return calls;
  }

  RunResult updeck(const std::vector<std::string>& args) const {
    return runProgram(component_ + "/updeck", args, "", "CORVANE_SIMHOST", s_.root(), component_);
  }
  // updeck --json ...: the result with its output parsed.
  nlohmann::json updeckJson(std::vector<std::string> args, RunResult* run = nullptr) const {
    args.insert(args.begin(), "--json");
    RunResult r = updeck(args);
    if (run) *run = r;
    nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << r.out << r.err;
    return j;
  }

  std::string mainLog() const { return read(s_.dir().logDir() + "/kstsetup.log"); }
  void set(const std::vector<std::string>& words) const {
    RunResult r = s_.sim("set", words);
    ASSERT_EQ(r.exitCode, 0u) << r.err;
  }

  Scenario s_;
  std::string component_;
};

}  // namespace corvane_test
