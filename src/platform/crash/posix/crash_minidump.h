// Writes a minidump of a crashed process, in the shape Linux minidump
// readers (debuggers, crash processors) expect, with plain system calls only.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>

#include "platform/crash/posix/crash_minidump_format.h"
#include "platform/crash/posix/crash_threads.h"

namespace platform::crash {

// Stack memory kept per thread, counted up from its stack pointer, and for
// all threads together (the crashing thread's stack comes first).
inline constexpr uint64_t kMaxThreadStackBytes = 8 * 1024 * 1024;
inline constexpr uint64_t kMaxDumpStackBytes = 32 * 1024 * 1024;

struct CrashInfo {
  int signal = 0;
  const siginfo_t* info = nullptr;
  pid_t processId = 0;     // the crashed process
  pid_t memorySource = 0;  // whose memory and /proc files are read: it or a copy of it
  uint32_t processorCount = 1;
};

// Writes the dump to fd: header, stream directory, system info, misc info
// (the process id), exception (the signal number, si_code as the flags, the
// fault address), thread list (each thread's registers and stack), module
// list (each ELF image mapped, with its build id), memory list (the
// stacks), and the process's maps, auxv and status files. threads.threads[0]
// is the crashing thread. False when a write failed.
bool WriteMinidump(int fd, const CrashInfo& crash, const ThreadSnapshot& threads);

}  // namespace platform::crash
