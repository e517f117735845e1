// Thread registers in the Windows CONTEXT layout, from the signal's
// ucontext_t (the crashing thread) or from ptrace (a stopped thread).
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace platform::crash {

struct ThreadRegisters {
  uint64_t instructionPointer = 0;
  uint64_t stackPointer = 0;
  // Page-fault error code bits (x86: 2 = write, 16 = instruction fetch).
  uint64_t faultError = 0;
};

// Reads the registers the dump refers to from a ucontext_t.
ThreadRegisters ReadRegisters(const void* ucontext);

// Fills out (kAmd64ContextSize bytes) with an AMD64 CONTEXT record: control,
// integer and floating-point registers. Other machines get a zeroed record.
void BuildContextRecord(const void* ucontext, uint8_t* out);

// The same record for a thread that this process traces and that is stopped.
// False when its registers cannot be read (or on other machines).
bool ReadStoppedThread(pid_t tid, uint8_t* out, ThreadRegisters* regs);

}  // namespace platform::crash
