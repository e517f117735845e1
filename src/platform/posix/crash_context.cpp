// Register capture for the crash filter from the signal's ucontext_t.
// Covers x86-64 Linux (AMD64 CONTEXT: control, integer, segment selectors
// CS/SS, FXSAVE area). Not covered: debug registers, AVX state, other
// machines (their record stays zeroed and only the pointers are filled).
#include <ucontext.h>

#include <cstring>

#include "common/byte_order.h"
#include "platform/posix/crash_context.h"
#include "platform/posix/crash_minidump.h"

namespace platform::crash {
namespace {

#if defined(__x86_64__)
constexpr uint32_t kContextAmd64 = 0x00100000;
constexpr uint32_t kContextControl = 0x1, kContextInteger = 0x2, kContextFloatingPoint = 0x8;

void Put64(uint8_t* out, size_t offset, greg_t value) {
  StoreLe64(out + offset, static_cast<uint64_t>(value));
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
  memset(out, 0, kAmd64ContextSize);
#if defined(__x86_64__)
  const auto* uc = static_cast<const ucontext_t*>(ucontext);
  const greg_t* g = uc->uc_mcontext.gregs;
  const uint32_t flags = kContextAmd64 | kContextControl | kContextInteger | kContextFloatingPoint;
  StoreLe32(out + 0x30, flags);
  // Selectors: CS in the low 16 bits of CSGSFS, SS in the top 16 (when set).
  const uint64_t selectors = static_cast<uint64_t>(g[REG_CSGSFS]);
  const uint16_t cs = static_cast<uint16_t>(selectors), ss = static_cast<uint16_t>(selectors >> 48);
  StoreLe16(out + 0x38, cs);
  StoreLe16(out + 0x42, ss);
  StoreLe32(out + 0x44, static_cast<uint32_t>(g[REG_EFL]));
  // Rax, Rcx, Rdx, Rbx, Rsp, Rbp, Rsi, Rdi, R8..R15, then Rip.
  const int order[] = {REG_RAX, REG_RCX, REG_RDX, REG_RBX, REG_RSP, REG_RBP, REG_RSI, REG_RDI,
                       REG_R8,  REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13, REG_R14, REG_R15};
  for (size_t i = 0; i < 16; ++i) Put64(out, 0x78 + 8 * i, g[order[i]]);
  Put64(out, 0xF8, g[REG_RIP]);
  if (uc->uc_mcontext.fpregs != nullptr) {
    // The kernel saves the FXSAVE image Windows stores as XMM_SAVE_AREA32.
    memcpy(out + 0x100, uc->uc_mcontext.fpregs, 512);
    StoreLe32(out + 0x34, uc->uc_mcontext.fpregs->mxcsr);
  }
#else
  (void)ucontext;
#endif
}

}  // namespace platform::crash
