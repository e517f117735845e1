// Minidump writer of the crash filter: the Windows minidump file format,
// written front to back with write(2) from inside a signal handler.
// Covers header, stream directory, system info, exception, thread list (the
// crashing thread only, with registers and stack), module list (files mapped
// from /proc/self/maps) and memory list (that stack). Not covered: other
// threads (their registers would need ptrace), module versions and
// CodeView records, handle and unloaded-module streams.
#include <time.h>

#include <string_view>

#include "common/text.h"
#include "platform/posix/crash_context.h"
#include "platform/posix/crash_maps.h"
#include "platform/posix/crash_minidump.h"
#include "platform/posix/crash_safe_io.h"

namespace platform::crash {
namespace {

constexpr uint32_t kStreamCount = 5;
constexpr uint64_t kRedZone = 128;              // below the stack pointer, still in use
constexpr uint64_t kOverflowReach = 64 * 1024;  // fault to stack pointer, at most

uint32_t Align(uint32_t value, uint32_t to) { return (value + to - 1) / to * to; }

// File offsets of every part of the dump, worked out before writing.
struct Layout {
  uint32_t systemInfo, csdVersion, exception, threadList, context, moduleList, names[kMaxModules],
      memoryList, stack, end;
};

// The modules' names in UTF-16, each at its offset and length in units; UTF-8
// never needs more units than bytes. common/text's converter allocates
// nothing, so the signal handler may use it.
struct WideNames {
  char16_t units[kModuleNamePool];
  uint32_t offset[kMaxModules];
  uint32_t length[kMaxModules];
};

// Too large for the signal stack; only one crash is written per process.
// Namespace scope, so that no guarded initialisation runs in the handler.
MapsSnapshot g_maps;
Layout g_layout;
WideNames g_wideNames;

void WidenNames(const MapsSnapshot& maps, WideNames* wide) {
  uint32_t used = 0;
  for (uint32_t i = 0; i < maps.moduleCount; ++i) {
    const MappedModule& m = maps.modules[i];
    wide->offset[i] = used;
    wide->length[i] = static_cast<uint32_t>(
        Utf8ToUtf16(std::string_view(maps.names + m.nameOffset, m.nameLength), wide->units + used));
    used += wide->length[i];
  }
}

struct StackRange {
  uint64_t start = 0;
  uint32_t size = 0;
};

// The stack memory kept: from just below the stack pointer up to the end of
// its mapping, at most kMaxStackBytes.
StackRange StackToKeep(const MapsSnapshot& maps, uint64_t sp) {
  StackRange range;
  if (maps.stackEnd == 0) return range;
  uint64_t start = sp >= kRedZone ? (sp - kRedZone) & ~uint64_t{15} : 0;
  if (start < maps.stackStart) start = maps.stackStart;
  uint64_t end = maps.stackEnd;
  if (end - start > kMaxStackBytes) end = start + kMaxStackBytes;
  range.start = start;
  range.size = static_cast<uint32_t>(end - start);
  return range;
}

Layout PlanLayout(const MapsSnapshot& maps, const WideNames& wide, const StackRange& stack) {
  Layout l{};
  l.systemInfo = Align(kMinidumpHeaderSize + kStreamCount * kDirectoryEntrySize, 8);
  l.csdVersion = l.systemInfo + kSystemInfoSize;
  l.exception = Align(l.csdVersion + 6, 8);
  l.threadList = l.exception + kExceptionStreamSize;
  l.context = Align(l.threadList + 4 + kThreadSize, 16);
  l.moduleList = Align(l.context + kAmd64ContextSize, 8);
  uint32_t at = l.moduleList + 4 + maps.moduleCount * kModuleSize;
  for (uint32_t i = 0; i < maps.moduleCount; ++i) {
    l.names[i] = Align(at, 4);
    at = l.names[i] + 4 + 2 * wide.length[i] + 2;
  }
  l.memoryList = Align(at, 8);
  l.stack = Align(l.memoryList + 4 + kMemoryDescriptorSize, 16);
  l.end = l.stack + stack.size;
  return l;
}

void WriteHeader(CSafeWriter& out, const Layout& l, const MapsSnapshot& maps) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  out.U32(kMinidumpSignature);
  out.U32(kMinidumpVersion);
  out.U32(kStreamCount);
  out.U32(kMinidumpHeaderSize);  // the stream directory follows the header
  out.U32(0);   // checksum
  out.U32(static_cast<uint32_t>(now.tv_sec));
  out.U64(0);   // MiniDumpNormal
  const uint32_t streams[kStreamCount][3] = {
      {kThreadListStream, 4 + kThreadSize, l.threadList},
      {kModuleListStream, 4 + maps.moduleCount * kModuleSize, l.moduleList},
      {kMemoryListStream, 4 + kMemoryDescriptorSize, l.memoryList},
      {kExceptionStream, kExceptionStreamSize, l.exception},
      {kSystemInfoStream, kSystemInfoSize, l.systemInfo}};
  for (const auto& s : streams) {
    out.U32(s[0]);
    out.U32(s[1]);
    out.U32(s[2]);
  }
}

void WriteSystemInfo(CSafeWriter& out, const Layout& l, const CrashInfo& crash) {
  out.PadTo(l.systemInfo);
  out.U16(kArchitectureAmd64);
  out.U16(0);  // processor level
  out.U16(0);  // processor revision
  out.U8(static_cast<uint8_t>(crash.processorCount > 255 ? 255 : crash.processorCount));
  out.U8(1);   // VER_NT_WORKSTATION
  out.U32(0);  // major version
  out.U32(0);  // minor version
  out.U32(0);  // build number
  out.U32(kPlatformLinux);
  out.U32(l.csdVersion);
  out.U16(0);  // suite mask
  out.U16(0);
  for (int i = 0; i < 6; ++i) out.U32(0);  // CPU_INFORMATION
  out.U32(0);  // CSD version: an empty string
  out.U16(0);
}

// A fault next to the stack pointer and below the stack's mapping: the
// thread ran off the end of its stack.
bool IsStackOverflow(const CrashInfo& crash, const ThreadRegisters& regs, const MapsSnapshot& maps) {
  if (crash.signal != SIGSEGV || crash.info == nullptr || crash.info->si_code <= 0) return false;
  const uint64_t fault = reinterpret_cast<uint64_t>(crash.info->si_addr);
  const uint64_t distance = fault > regs.stackPointer ? fault - regs.stackPointer
                                                      : regs.stackPointer - fault;
  return maps.stackEnd != 0 && fault < maps.stackStart && distance <= kOverflowReach;
}

void WriteException(CSafeWriter& out, const Layout& l, const CrashInfo& crash,
                    const ThreadRegisters& regs, bool overflow) {
  out.PadTo(l.exception);
  out.U32(static_cast<uint32_t>(crash.threadId));
  out.U32(0);
  const int code = crash.info != nullptr ? crash.info->si_code : 0;
  out.U32(overflow ? kStackOverflowCode : ExceptionCodeFor(crash.signal, code));
  out.U32(0);  // flags
  out.U64(0);  // no chained record
  out.U64(regs.instructionPointer);
  // A fault raised by the machine (si_code > 0) names the data address, as
  // access violations do on Windows; a signal sent by a process has none.
  const bool memoryFault = code > 0 && (crash.signal == SIGSEGV || crash.signal == SIGBUS);
  out.U32(memoryFault ? 2 : 0);
  out.U32(0);
  uint64_t parameters[15] = {};
  if (memoryFault) {
    parameters[0] = (regs.faultError & 0x10) != 0 ? 8 : (regs.faultError & 0x2) != 0 ? 1 : 0;
    parameters[1] = reinterpret_cast<uint64_t>(crash.info->si_addr);
  }
  for (uint64_t p : parameters) out.U64(p);
  out.U32(kAmd64ContextSize);
  out.U32(l.context);
}

void WriteThread(CSafeWriter& out, const Layout& l, const CrashInfo& crash, const StackRange& stack) {
  out.PadTo(l.threadList);
  out.U32(1);
  out.U32(static_cast<uint32_t>(crash.threadId));
  out.U32(0);  // suspend count
  out.U32(0);  // priority class
  out.U32(0);  // priority
  out.U64(0);  // TEB
  out.U64(stack.start);
  out.U32(stack.size);
  out.U32(l.stack);
  out.U32(kAmd64ContextSize);
  out.U32(l.context);
  out.PadTo(l.context);
  uint8_t context[kAmd64ContextSize];
  BuildContextRecord(crash.ucontext, context);
  out.Bytes(context, sizeof context);
}

void WriteModules(CSafeWriter& out, const Layout& l, const MapsSnapshot& maps, const WideNames& wide) {
  out.PadTo(l.moduleList);
  out.U32(maps.moduleCount);
  for (uint32_t i = 0; i < maps.moduleCount; ++i) {
    const MappedModule& m = maps.modules[i];
    out.U64(m.base);
    out.U32(static_cast<uint32_t>(m.end - m.base));
    out.U32(0);  // checksum
    out.U32(0);  // time stamp
    out.U32(l.names[i]);
    for (int k = 0; k < 13; ++k) out.U32(0);  // VS_FIXEDFILEINFO
    for (int k = 0; k < 4; ++k) out.U32(0);   // CodeView and misc records
    out.U64(0);
    out.U64(0);
  }
  for (uint32_t i = 0; i < maps.moduleCount; ++i) {
    out.PadTo(l.names[i]);
    out.U32(2 * wide.length[i]);
    for (uint32_t k = 0; k < wide.length[i]; ++k) out.U16(wide.units[wide.offset[i] + k]);
    out.U16(0);
  }
}

void WriteMemory(CSafeWriter& out, const Layout& l, const StackRange& stack) {
  out.PadTo(l.memoryList);
  out.U32(1);
  out.U64(stack.start);
  out.U32(stack.size);
  out.U32(l.stack);
  out.PadTo(l.stack);
  out.Memory(static_cast<uintptr_t>(stack.start), stack.size);
}

}  // namespace

uint32_t ExceptionCodeFor(int signal, int code) {
  switch (signal) {
    case SIGSEGV: return 0xC0000005;  // EXCEPTION_ACCESS_VIOLATION
    case SIGBUS: return 0xC0000006;   // EXCEPTION_IN_PAGE_ERROR
    case SIGILL: return 0xC000001D;   // EXCEPTION_ILLEGAL_INSTRUCTION
    case SIGABRT: return 0x40000015;  // STATUS_FATAL_APP_EXIT, what abort() raises
    case SIGFPE:
      switch (code) {
        case FPE_INTDIV: return 0xC0000094;  // EXCEPTION_INT_DIVIDE_BY_ZERO
        case FPE_INTOVF: return 0xC0000095;  // EXCEPTION_INT_OVERFLOW
        case FPE_FLTDIV: return 0xC000008E;  // EXCEPTION_FLT_DIVIDE_BY_ZERO
        case FPE_FLTOVF: return 0xC0000091;  // EXCEPTION_FLT_OVERFLOW
        case FPE_FLTUND: return 0xC0000093;  // EXCEPTION_FLT_UNDERFLOW
        case FPE_FLTRES: return 0xC000008F;  // EXCEPTION_FLT_INEXACT_RESULT
        case FPE_FLTSUB: return 0xC000008C;  // EXCEPTION_ARRAY_BOUNDS_EXCEEDED
        default: return 0xC0000090;          // EXCEPTION_FLT_INVALID_OPERATION
      }
    default: return 0xC0000005;
  }
}

bool WriteMinidump(int fd, const CrashInfo& crash) {
  MapsSnapshot& maps = g_maps;
  Layout& layout = g_layout;
  const ThreadRegisters regs = ReadRegisters(crash.ucontext);
  ReadMaps(regs.stackPointer, &maps);
  const StackRange stack = StackToKeep(maps, regs.stackPointer);
  WidenNames(maps, &g_wideNames);
  layout = PlanLayout(maps, g_wideNames, stack);
  CSafeWriter out(fd);
  WriteHeader(out, layout, maps);
  WriteSystemInfo(out, layout, crash);
  WriteException(out, layout, crash, regs, IsStackOverflow(crash, regs, maps));
  WriteThread(out, layout, crash, stack);
  WriteModules(out, layout, maps, g_wideNames);
  WriteMemory(out, layout, stack);
  return out.Flush() && out.Position() == layout.end;
}

}  // namespace platform::crash
