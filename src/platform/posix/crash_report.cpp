// Crash report launch for the crash filter: clone + execve, then a bounded
// wait with waitpid(WNOHANG) and nanosleep.
// Covers starting the program again with the report switch. Not covered:
// ending a report process that outlives the wait (it finishes on its own).
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/crash_report.h"

extern char** environ;

namespace platform::crash {
namespace {

constexpr long kPollNanoseconds = 10 * 1000 * 1000;

int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void WaitBounded(pid_t child, uint32_t waitMs) {
  const int64_t deadline = MonotonicMs() + waitMs;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) return;
    if (MonotonicMs() >= deadline) return;
    const timespec pause{0, kPollNanoseconds};
    nanosleep(&pause, nullptr);
  }
}

}  // namespace

void RunReportProcess(const char* program, const char* reportSwitch, const char* dumpPath,
                      uint32_t waitMs) {
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(reportSwitch),
                  const_cast<char*>(dumpPath), nullptr};
  // A bare clone rather than fork(): fork runs the atfork handlers, which
  // take the heap's locks, and the crash may have happened holding them.
  const long pid = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(program, argv, environ);
    _exit(127);
  }
  if (pid > 0) WaitBounded(static_cast<pid_t>(pid), waitMs);
}

}  // namespace platform::crash
