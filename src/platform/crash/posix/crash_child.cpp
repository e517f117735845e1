// Child processes for the crash filter: the clone system call with SIGCHLD,
// waitpid(WNOHANG) and nanosleep, all safe inside a signal handler.
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/crash/posix/crash_child.h"

namespace platform::crash {
namespace {

constexpr long kPollNanoseconds = 2 * 1000 * 1000;

}  // namespace

pid_t CloneChild() { return static_cast<pid_t>(syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0)); }

bool WaitForChild(pid_t child, uint32_t waitMs, int* status) {
  const int64_t deadline = MonotonicMs() + waitMs;
  while (true) {
    const pid_t done = waitpid(child, status, WNOHANG);
    if (done == child) return true;
    if (done < 0 && errno != EINTR) return false;
    if (MonotonicMs() >= deadline) return false;
    const timespec pause{0, kPollNanoseconds};
    nanosleep(&pause, nullptr);
  }
}

int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace platform::crash
