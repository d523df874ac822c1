// Stands in for a program under a benchmark: runs the real one (the path in
// CORVANE_TIMED_PROGRAM) with the same arguments, standard streams and
// directory, appends its wall time in nanoseconds as one line to the file
// in CORVANE_TIMED_LOG, and ends with its exit code.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

extern char** environ;

int main(int, char** argv) {
  const char* program = std::getenv("CORVANE_TIMED_PROGRAM");
  const char* log = std::getenv("CORVANE_TIMED_LOG");
  if (program == nullptr || log == nullptr) {
    std::fprintf(stderr, "child_timer: CORVANE_TIMED_PROGRAM and CORVANE_TIMED_LOG must be set\n");
    return 127;
  }
  argv[0] = const_cast<char*>(program);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
    std::perror(program);
    return 127;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (FILE* f = std::fopen(log, "a")) {
    std::fprintf(f, "%lld\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()));
    std::fclose(f);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
