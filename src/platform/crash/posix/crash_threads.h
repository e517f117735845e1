// The threads of a crashed process: the crashing one from its signal
// context, every other one stopped with ptrace and read, from a child cloned
// by the crash handler (a process cannot stop its own threads and read their
// registers; its child may trace it).
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "platform/crash/posix/crash_context.h"
#include "platform/crash/posix/crash_minidump_format.h"

namespace platform::crash {

inline constexpr uint32_t kMaxThreads = 256;

struct CapturedThread {
  pid_t tid = 0;
  ThreadRegisters regs;
  uint8_t context[kAmd64ContextSize];
};

struct ThreadSnapshot {
  // The crashing thread first, then the others in the system's order.
  CapturedThread threads[kMaxThreads];
  uint32_t count = 0;
  // Threads this process traces and must let go.
  pid_t traced[kMaxThreads];
  uint32_t tracedCount = 0;
};

// Starts the snapshot with the crashing thread, read from its ucontext_t.
void StartWithCrashingThread(pid_t tid, const void* ucontext, ThreadSnapshot* snapshot);

// Stops every other thread of process pid with ptrace, waiting at most
// waitMs in all, and adds each one whose registers could be read. Threads
// that cannot be traced are left out.
void StopOtherThreads(pid_t pid, uint32_t waitMs, ThreadSnapshot* snapshot);

// Lets the threads stopped by StopOtherThreads run again.
void ReleaseThreads(ThreadSnapshot* snapshot);

}  // namespace platform::crash
