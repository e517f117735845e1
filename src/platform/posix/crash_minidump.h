// Writes a Windows minidump (MiniDumpNormal shape) of the crashing thread
// from inside a fatal-signal handler.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>

#include "platform/posix/crash_minidump_format.h"

namespace platform::crash {

// The most stack memory kept, counted up from the stack pointer.
inline constexpr uint64_t kMaxStackBytes = 1024 * 1024;

struct CrashInfo {
  int signal = 0;
  const siginfo_t* info = nullptr;
  const void* ucontext = nullptr;  // ucontext_t of the interrupted code
  pid_t threadId = 0;
  uint32_t processorCount = 1;
};

// The Windows exception code standing for a signal (0xC0000005 for SIGSEGV,
// 0xC0000094 for an integer division by zero, 0x40000015 for SIGABRT, ...).
// A SIGSEGV next to the stack pointer, below the stack's mapping, is written
// as a stack overflow (0xC00000FD) instead.
uint32_t ExceptionCodeFor(int signal, int code);

// Writes the dump to fd: header, stream directory, system info, exception,
// thread list (the crashing thread with its registers and stack), module
// list and memory list. False when a write failed.
bool WriteMinidump(int fd, const CrashInfo& crash);

}  // namespace platform::crash
