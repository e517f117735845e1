// Writing the crash dump from a fatal-signal handler: every thread of the
// process, read by a child that traces it while the crashed thread waits.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>

namespace platform::crash {

// How long the crashed thread waits for the child writing the dump.
inline constexpr uint32_t kDumpWriterWaitMs = 15000;

struct CrashedThread {
  int signal = 0;
  const siginfo_t* info = nullptr;
  const void* ucontext = nullptr;  // ucontext_t of the interrupted code
  pid_t threadId = 0;
  uint32_t processorCount = 1;
};

// Writes the dump of this process to fd (open for writing, empty). A child
// cloned from this process stops the other threads with ptrace and writes
// them all; when it cannot start or fails, this thread writes a dump of
// itself alone. False when no complete dump was written.
bool WriteCrashDump(int fd, const CrashedThread& crashed);

}  // namespace platform::crash
