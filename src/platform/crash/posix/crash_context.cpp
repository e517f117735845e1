// Register capture for the crash filter, from the signal's ucontext_t or
// from ptrace. Covers x86-64 Linux (AMD64 CONTEXT: control, integer,
// segment selectors CS/SS, FXSAVE area). Not covered: debug registers, AVX
// state, other machines (their record stays zeroed and only the pointers are
// filled).
#include <sys/ptrace.h>
#include <sys/user.h>
#include <ucontext.h>

#include <cstring>

#include "common/byte_order.h"
#include "platform/crash/posix/crash_context.h"
#include "platform/crash/posix/crash_minidump_format.h"

namespace platform::crash {
namespace {

#if defined(__x86_64__)
constexpr uint32_t kContextAmd64 = 0x00100000;
constexpr uint32_t kContextControl = 0x1, kContextInteger = 0x2, kContextFloatingPoint = 0x8;

// The registers a CONTEXT record holds, whatever they were read from.
struct Amd64Registers {
  // Rax, Rcx, Rdx, Rbx, Rsp, Rbp, Rsi, Rdi, R8..R15: the record's order.
  uint64_t general[16];
  uint64_t rip, eflags;
  uint16_t cs, ss;
  const void* fxsave;  // the 512-byte FXSAVE image, or null
};

void FillRecord(const Amd64Registers& r, uint8_t* out) {
  memset(out, 0, kAmd64ContextSize);
  StoreLe32(out + 0x30, kContextAmd64 | kContextControl | kContextInteger | kContextFloatingPoint);
  StoreLe16(out + 0x38, r.cs);
  StoreLe16(out + 0x42, r.ss);
  StoreLe32(out + 0x44, static_cast<uint32_t>(r.eflags));
  for (size_t i = 0; i < 16; ++i) StoreLe64(out + 0x78 + 8 * i, r.general[i]);
  StoreLe64(out + 0xF8, r.rip);
  if (r.fxsave != nullptr) {
    // The kernel's FXSAVE image is what Windows stores as XMM_SAVE_AREA32;
    // MXCSR sits at offset 24 of it.
    memcpy(out + 0x100, r.fxsave, 512);
    memcpy(out + 0x34, static_cast<const uint8_t*>(r.fxsave) + 24, 4);
  }
}
#endif

}  // namespace

ThreadRegisters ReadRegisters(const void* ucontext) {
  ThreadRegisters regs;
#if defined(__x86_64__)
  const auto* uc = static_cast<const ucontext_t*>(ucontext);
  regs.instructionPointer = static_cast<uint64_t>(uc->uc_mcontext.gregs[REG_RIP]);
  regs.stackPointer = static_cast<uint64_t>(uc->uc_mcontext.gregs[REG_RSP]);
  regs.faultError = static_cast<uint64_t>(uc->uc_mcontext.gregs[REG_ERR]);
#elif defined(__aarch64__)
  const auto* uc = static_cast<const ucontext_t*>(ucontext);
  regs.instructionPointer = uc->uc_mcontext.pc;
  regs.stackPointer = uc->uc_mcontext.sp;
#endif
  return regs;
}

void BuildContextRecord(const void* ucontext, uint8_t* out) {
#if defined(__x86_64__)
  const auto* uc = static_cast<const ucontext_t*>(ucontext);
  const greg_t* g = uc->uc_mcontext.gregs;
  Amd64Registers r{};
  const int order[] = {REG_RAX, REG_RCX, REG_RDX, REG_RBX, REG_RSP, REG_RBP, REG_RSI, REG_RDI,
                       REG_R8,  REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13, REG_R14, REG_R15};
  for (size_t i = 0; i < 16; ++i) r.general[i] = static_cast<uint64_t>(g[order[i]]);
  r.rip = static_cast<uint64_t>(g[REG_RIP]);
  r.eflags = static_cast<uint64_t>(g[REG_EFL]);
  // Selectors: CS in the low 16 bits of CSGSFS, SS in the top 16 (when set).
  const uint64_t selectors = static_cast<uint64_t>(g[REG_CSGSFS]);
  r.cs = static_cast<uint16_t>(selectors);
  r.ss = static_cast<uint16_t>(selectors >> 48);
  r.fxsave = uc->uc_mcontext.fpregs;
  FillRecord(r, out);
#else
  (void)ucontext;
  memset(out, 0, kAmd64ContextSize);
#endif
}

bool ReadStoppedThread(pid_t tid, uint8_t* out, ThreadRegisters* regs) {
#if defined(__x86_64__)
  user_regs_struct g{};
  user_fpregs_struct fp{};
  if (ptrace(PTRACE_GETREGS, tid, nullptr, &g) != 0) return false;
  const bool haveFp = ptrace(PTRACE_GETFPREGS, tid, nullptr, &fp) == 0;
  const Amd64Registers r{{g.rax, g.rcx, g.rdx, g.rbx, g.rsp, g.rbp, g.rsi, g.rdi, g.r8, g.r9, g.r10, g.r11,
                          g.r12, g.r13, g.r14, g.r15},
                         g.rip,
                         g.eflags,
                         static_cast<uint16_t>(g.cs),
                         static_cast<uint16_t>(g.ss),
                         haveFp ? &fp : nullptr};
  FillRecord(r, out);
  regs->instructionPointer = g.rip;
  regs->stackPointer = g.rsp;
  regs->faultError = 0;
  return true;
#else
  (void)tid;
  (void)out;
  (void)regs;
  return false;
#endif
}

}  // namespace platform::crash
