// The crash dump's writer process: a child cloned from the crashed process
// (a copy, no exec, so nothing depends on the program file or on locks the
// crash may hold) that the crashed process allows to trace it
// (PR_SET_PTRACER, for Yama's restricted mode) and then waits for, bounded.
// The child stops every other thread with ptrace, reads the process's memory
// with process_vm_readv while it is still, writes the dump, lets the threads
// go and says so on a pipe. When the
// child cannot start, cannot read the crashed process, fails or runs out of
// time, the crashed thread writes the dump itself (its own thread only, as
// other threads' registers cannot be read from inside the process).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "platform/crash/posix/crash_child.h"
#include "platform/crash/posix/crash_dump_writer.h"
#include "platform/crash/posix/crash_minidump.h"
#include "platform/crash/posix/crash_safe_io.h"

namespace platform::crash {
namespace {

constexpr uint32_t kThreadStopWaitMs = 2000;
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

// Namespace scope: too large for the signal stack.
ThreadSnapshot g_threads;

CrashInfo DescribeCrash(const CrashedThread& crashed, pid_t processId) {
  CrashInfo crash;
  crash.signal = crashed.signal;
  crash.info = crashed.info;
  crash.processId = processId;
  crash.memorySource = processId;
  crash.processorCount = crashed.processorCount;
  return crash;
}

// The child's work: trace the crashed process and write its dump. It says
// "done" on its result pipe when the dump is complete; the pipe, unlike its
// exit status, cannot be taken by another thread of the parent that reaps
// children.
[[noreturn]] void RunWriterChild(int fd, int goSignal, int result, const CrashedThread& crashed,
                                 pid_t parent) {
  // A fault in here ends the child; the crash handler it inherited would
  // wait for ever on the crash already in progress.
  for (int signal : kFatalSignals) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigaction(signal, &action, nullptr);
  }
  // Wait until the parent allows tracing (or has gone).
  char go = 0;
  while (read(goSignal, &go, 1) < 0 && errno == EINTR) {
  }
  close(goSignal);
  CrashInfo crash = DescribeCrash(crashed, parent);
  StartWithCrashingThread(crashed.threadId, crashed.ucontext, &g_threads);
  // Reading the parent needs the right to trace it; without it the child
  // reads its own copy of the memory, made at the crash, and the crashing
  // thread alone.
  uint64_t probe = 0;
  const auto probeAddress = reinterpret_cast<uint64_t>(&g_threads);
  if (ReadProcessMemory(parent, probeAddress, &probe, sizeof probe) == sizeof probe) {
    StopOtherThreads(parent, kThreadStopWaitMs, &g_threads);
  } else {
    crash.memorySource = static_cast<pid_t>(syscall(SYS_getpid));
  }
  const bool written = WriteMinidump(fd, crash, g_threads);
  ReleaseThreads(&g_threads);
  if (written) (void)!write(result, "d", 1);
  _exit(0);
}

// Waits at most waitMs for the child's result byte; true when it came.
bool AwaitResult(int result, uint32_t waitMs) {
  const int64_t deadline = MonotonicMs() + waitMs;
  while (true) {
    const int64_t left = deadline - MonotonicMs();
    if (left <= 0) return false;
    pollfd ready{result, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return false;
    char done = 0;
    ssize_t got;
    do {
      got = read(result, &done, 1);
    } while (got < 0 && errno == EINTR);
    return got == 1;
  }
}

bool WriteFromChild(int fd, const CrashedThread& crashed, pid_t self) {
  int go[2], result[2];
  if (pipe2(go, O_CLOEXEC) != 0) return false;
  if (pipe2(result, O_CLOEXEC) != 0) {
    close(go[0]);
    close(go[1]);
    return false;
  }
  const pid_t child = CloneChild();
  if (child == 0) {
    close(go[1]);
    close(result[0]);
    RunWriterChild(fd, go[0], result[1], crashed, self);
  }
  close(go[0]);
  close(result[1]);
  bool written = false;
  if (child > 0) {
    // Where Yama restricts tracing to ancestors, name the child; elsewhere
    // this fails harmlessly.
    (void)prctl(PR_SET_PTRACER, child, 0, 0, 0);
    (void)!write(go[1], "g", 1);
    close(go[1]);
    written = AwaitResult(result[0], kDumpWriterWaitMs);
    // A child that failed or ran out of time is ended; either way it is
    // reaped (bounded: another thread may have reaped it already).
    int status = 0;
    if (!written) kill(child, SIGKILL);
    (void)WaitForChild(child, kDumpWriterWaitMs, &status);
  } else {
    close(go[1]);
  }
  close(result[0]);
  return written;
}

}  // namespace

bool WriteCrashDump(int fd, const CrashedThread& crashed) {
  const pid_t self = static_cast<pid_t>(syscall(SYS_getpid));
  if (WriteFromChild(fd, crashed, self)) return true;
  // Start again from an empty file (the child shared the file offset).
  if (lseek(fd, 0, SEEK_SET) != 0 || ftruncate(fd, 0) != 0) return false;
  StartWithCrashingThread(crashed.threadId, crashed.ucontext, &g_threads);
  return WriteMinidump(fd, DescribeCrash(crashed, self), g_threads);
}

}  // namespace platform::crash
