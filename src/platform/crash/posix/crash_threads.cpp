// Thread capture for the crash filter: /proc/PID/task listed with
// getdents64, each thread stopped with PTRACE_SEIZE and PTRACE_INTERRUPT
// (no signal is sent to the process) and awaited with waitpid(WNOHANG) and
// nanosleep, so that a thread that never stops cannot hold the dump up.
// Not covered: threads started after the listing.
#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/crash/posix/crash_child.h"
#include "platform/crash/posix/crash_safe_io.h"
#include "platform/crash/posix/crash_threads.h"

namespace platform::crash {
namespace {

constexpr long kPollNanoseconds = 1000 * 1000;

// Thread ids named in /proc/PID/task, at most capacity of them.
uint32_t ListThreads(pid_t pid, pid_t* tids, uint32_t capacity) {
  char path[64];
  ProcFilePath(path, sizeof path, pid, "task");
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  alignas(8) static char entries[8192];
  uint32_t count = 0;
  while (count < capacity) {
    const long got = syscall(SYS_getdents64, fd, entries, sizeof entries);
    if (got <= 0) break;
    for (long at = 0; at < got;) {
      // linux_dirent64: inode, offset, record length, type, name.
      uint16_t length;
      memcpy(&length, entries + at + 16, sizeof length);
      const char* name = entries + at + 19;
      pid_t tid = 0;
      for (; *name >= '0' && *name <= '9'; ++name) tid = tid * 10 + (*name - '0');
      if (*name == '\0' && tid > 0 && count < capacity) tids[count++] = tid;
      at += length;
    }
  }
  close(fd);
  return count;
}

bool IsListed(const ThreadSnapshot& s, pid_t tid) {
  for (uint32_t i = 0; i < s.count; ++i) {
    if (s.threads[i].tid == tid) return true;
  }
  return false;
}

}  // namespace

void StartWithCrashingThread(pid_t tid, const void* ucontext, ThreadSnapshot* snapshot) {
  CapturedThread& thread = snapshot->threads[0];
  thread.tid = tid;
  thread.regs = ReadRegisters(ucontext);
  BuildContextRecord(ucontext, thread.context);
  snapshot->count = 1;
  snapshot->tracedCount = 0;
}

void StopOtherThreads(pid_t pid, uint32_t waitMs, ThreadSnapshot* snapshot) {
  static pid_t tids[kMaxThreads];
  const uint32_t listed = ListThreads(pid, tids, kMaxThreads);
  static pid_t pending[kMaxThreads];
  uint32_t pendingCount = 0;
  for (uint32_t i = 0; i < listed; ++i) {
    if (IsListed(*snapshot, tids[i])) continue;
    if (ptrace(PTRACE_SEIZE, tids[i], nullptr, nullptr) != 0) continue;
    snapshot->traced[snapshot->tracedCount++] = tids[i];
    if (ptrace(PTRACE_INTERRUPT, tids[i], nullptr, nullptr) == 0) pending[pendingCount++] = tids[i];
  }
  const int64_t deadline = MonotonicMs() + waitMs;
  while (pendingCount > 0 && MonotonicMs() < deadline) {
    for (uint32_t i = 0; i < pendingCount;) {
      int status = 0;
      const pid_t done = waitpid(pending[i], &status, __WALL | WNOHANG);
      if (done == 0 || (done < 0 && errno == EINTR)) {
        ++i;
        continue;
      }
      // Stopped: read it. Gone (exited, or an error): forget it.
      if (done == pending[i] && WIFSTOPPED(status) && snapshot->count < kMaxThreads) {
        CapturedThread& thread = snapshot->threads[snapshot->count];
        thread.tid = pending[i];
        if (ReadStoppedThread(pending[i], thread.context, &thread.regs)) ++snapshot->count;
      }
      pending[i] = pending[--pendingCount];
    }
    if (pendingCount > 0) {
      const timespec pause{0, kPollNanoseconds};
      nanosleep(&pause, nullptr);
    }
  }
}

void ReleaseThreads(ThreadSnapshot* snapshot) {
  for (uint32_t i = 0; i < snapshot->tracedCount; ++i) {
    (void)ptrace(PTRACE_DETACH, snapshot->traced[i], nullptr, nullptr);
  }
  snapshot->tracedCount = 0;
}

}  // namespace platform::crash
