#include "wrapper/selection/ask_user.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/host.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/run_state.h"

namespace keelson {

namespace {

// The longest answer the question reads; the rest of a longer line is read
// with it and dropped, so it never answers the next question.
constexpr size_t kMaxAnswer = 259;

int answerOf(const std::string& line, int emptyAnswer) {
  static constexpr std::array<const char*, 5> kYes{"y", "yes", "Y", "Yes", "YES"};
  static constexpr std::array<const char*, 5> kQuit{"q", "Q", "Quit", "QUIT", "quit"};
  if (line.empty()) return emptyAnswer;
  const auto is = [&](const char* word) { return line == word; };
  if (std::any_of(kYes.begin(), kYes.end(), is)) return kAnswerYes;
  if (std::any_of(kQuit.begin(), kQuit.end(), is)) return kAnswerQuit;
  return kAnswerNo;
}

}  // namespace

int askUser(const std::string& question, int automaticAnswer, int emptyAnswer, const std::string& defaultText) {
  const RunState& state = runState();
  if (state.silent) return state.force ? kAnswerYes : automaticAnswer;
  if (state.yes) return automaticAnswer;

  const std::string prompt = question + " y/n/q (" + defaultText + ") ";
  if (!state.consoleSilent) {
    std::fwrite(prompt.data(), 1, prompt.size(), stdout);
    std::fflush(stdout);
  }
  logEntry(prompt, false);

  std::string line;
  if (!platform::host().console().readLine(&line)) {
    // Nobody answered: nothing may be upgraded on that.
    logEntry("Unknown input problem!\nQuit...", true);
    return kAnswerQuit;
  }
  if (line.size() > kMaxAnswer) line.resize(kMaxAnswer);
  logEntry(question + " " + line, false);
  return answerOf(line, emptyAnswer);
}

}  // namespace keelson
