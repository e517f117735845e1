// Minidump writer of the crash filter: the minidump file format, written
// front to back with write(2), from inside a signal handler or a child
// cloned from it.
// Covers header, stream directory, system info (uname, CPUID), misc info
// (the process id), exception, thread list (registers and stacks), module
// list (ELF images from /proc/PID/maps with their build ids as CodeView
// records), memory list (the stacks) and the raw /proc/PID/maps, auxv and
// status files. Not covered: module versions, handle and unloaded-module
// streams, memory other than stacks, and the environment, which may hold
// secrets (dumps leave the machine).
#if defined(__x86_64__)
#include <cpuid.h>
#endif
#include <sys/utsname.h>
#include <time.h>

#include <string_view>

#include "common/text.h"
#include "platform/crash/posix/crash_elf.h"
#include "platform/crash/posix/crash_maps.h"
#include "platform/crash/posix/crash_minidump.h"
#include "platform/crash/posix/crash_safe_io.h"

namespace platform::crash {
namespace {

constexpr uint32_t kStreamCount = 9;
constexpr uint64_t kRedZone = 128;  // below the stack pointer, still in use
constexpr size_t kProcFileCapacity = 16 * 1024;
constexpr size_t kCsdCapacity = 4 * sizeof(utsname::release) + 8;

uint32_t Align(uint32_t value, uint32_t to) { return (value + to - 1) / to * to; }

// Hands out the file offsets of the dump's parts in the order they are
// written.
class CPlanner {
 public:
  explicit CPlanner(uint32_t start) : m_at(start) {}
  uint32_t Take(uint64_t size, uint32_t alignment) {
    const uint32_t at = Align(m_at, alignment);
    m_at = at + static_cast<uint32_t>(size);
    return at;
  }
  uint32_t End() const { return m_at; }

 private:
  uint32_t m_at;
};

struct StackRange {
  uint64_t start = 0;
  uint32_t size = 0;
};

struct KeptModule {
  uint32_t mapIndex = 0;  // into MapsSnapshot::modules
  BuildId buildId;
};

// What the dump holds beyond the threads, gathered before anything is
// written.
struct Contents {
  MapsSnapshot maps;
  KeptModule modules[kMaxModules];
  uint32_t moduleCount = 0;
  char16_t names[kModuleNamePool];  // module names in UTF-16
  uint32_t nameOffset[kMaxModules];
  uint32_t nameLength[kMaxModules];
  StackRange stacks[kMaxThreads];
  uint32_t stackCount = 0;  // threads with stack memory
  char auxv[kProcFileCapacity];
  size_t auxvLength = 0;
  char status[kProcFileCapacity];
  size_t statusLength = 0;
  char16_t csdVersion[kCsdCapacity];
  uint32_t csdLength = 0;
  uint32_t osVersion[3] = {};  // major, minor, build from the kernel release
};

// File offsets of every part of the dump, worked out before writing.
struct Layout {
  uint32_t systemInfo, csdVersion, miscInfo, exception, threadList, contexts, moduleList, names[kMaxModules],
      cvRecords[kMaxModules], maps, auxv, status, memoryList, stacks[kMaxThreads], end;
};

// Too large for the signal stack; only one crash is written per process.
// Namespace scope, so that no guarded initialisation runs in the handler.
Contents g_contents;
Layout g_layout;

void ReadProcFile(pid_t pid, const char* name, char* buffer, size_t* length) {
  char path[64];
  ProcFilePath(path, sizeof path, pid, name);
  *length = ReadWholeFile(path, buffer, kProcFileCapacity);
}

// Keeps the mapped files that are ELF images (loaded from their start),
// with their build ids, and their names in UTF-16. common/text's converter
// allocates nothing, so the handler may use it.
void KeepElfModules(pid_t source, Contents* c) {
  c->moduleCount = 0;
  uint32_t used = 0;
  for (uint32_t i = 0; i < c->maps.moduleCount; ++i) {
    const MappedModule& m = c->maps.modules[i];
    KeptModule& kept = c->modules[c->moduleCount];
    if (m.fileOffset != 0 || !ReadElfBuildId(source, m.base, &kept.buildId)) continue;
    kept.mapIndex = i;
    c->nameOffset[c->moduleCount] = used;
    c->nameLength[c->moduleCount] = static_cast<uint32_t>(
        Utf8ToUtf16(std::string_view(c->maps.names + m.nameOffset, m.nameLength), c->names + used));
    used += c->nameLength[c->moduleCount];
    ++c->moduleCount;
  }
}

// Each thread's stack from just below its stack pointer up to the end of
// its mapping, within the per-thread and whole-dump caps.
void PlanStacks(const ThreadSnapshot& threads, Contents* c) {
  uint64_t budget = kMaxDumpStackBytes;
  c->stackCount = 0;
  for (uint32_t i = 0; i < threads.count; ++i) {
    StackRange& range = c->stacks[i];
    range = StackRange{};
    const uint64_t sp = threads.threads[i].regs.stackPointer;
    uint64_t mapStart = 0, mapEnd = 0;
    if (!FindStackMapping(c->maps, sp, &mapStart, &mapEnd)) continue;
    uint64_t start = sp >= kRedZone ? (sp - kRedZone) & ~uint64_t{15} : 0;
    if (start < mapStart) start = mapStart;
    uint64_t size = mapEnd - start;
    if (size > kMaxThreadStackBytes) size = kMaxThreadStackBytes;
    if (size > budget) size = budget;
    budget -= size;
    range.start = start;
    range.size = static_cast<uint32_t>(size);
    if (size > 0) ++c->stackCount;
  }
}

// "Linux RELEASE VERSION MACHINE" as the CSD version, and the release's
// leading numbers as the OS version.
void DescribeSystem(Contents* c) {
  utsname names{};
  c->csdLength = 0;
  if (uname(&names) != 0) return;
  const char* parts[] = {names.sysname, names.release, names.version, names.machine};
  for (const char* part : parts) {
    if (c->csdLength > 0) c->csdVersion[c->csdLength++] = u' ';
    for (const char* p = part; *p != '\0' && c->csdLength + 1 < kCsdCapacity; ++p) {
      c->csdVersion[c->csdLength++] = static_cast<char16_t>(static_cast<unsigned char>(*p));
    }
  }
  const char* p = names.release;
  for (uint32_t& number : c->osVersion) {
    number = 0;
    for (; *p >= '0' && *p <= '9'; ++p) number = number * 10 + static_cast<uint32_t>(*p - '0');
    if (*p != '.') break;
    ++p;
  }
}

Layout PlanLayout(const Contents& c, const ThreadSnapshot& threads) {
  Layout l{};
  CPlanner plan(kMinidumpHeaderSize + kStreamCount * kDirectoryEntrySize);
  l.systemInfo = plan.Take(kSystemInfoSize, 8);
  l.csdVersion = plan.Take(4 + 2 * c.csdLength + 2, 4);
  l.miscInfo = plan.Take(kMiscInfoSize, 8);
  l.exception = plan.Take(kExceptionStreamSize, 8);
  l.threadList = plan.Take(4 + threads.count * kThreadSize, 8);
  l.contexts = plan.Take(uint64_t{threads.count} * kAmd64ContextSize, 16);
  l.moduleList = plan.Take(4 + c.moduleCount * kModuleSize, 8);
  for (uint32_t i = 0; i < c.moduleCount; ++i) {
    l.names[i] = plan.Take(4 + 2 * c.nameLength[i] + 2, 4);
    const uint32_t idSize = c.modules[i].buildId.size;
    l.cvRecords[i] = plan.Take(idSize > 0 ? 4 + idSize : 0, 4);
  }
  l.maps = plan.Take(c.maps.textLength, 1);
  l.auxv = plan.Take(c.auxvLength, 8);
  l.status = plan.Take(c.statusLength, 1);
  l.memoryList = plan.Take(4 + c.stackCount * kMemoryDescriptorSize, 8);
  for (uint32_t i = 0; i < threads.count; ++i) l.stacks[i] = plan.Take(c.stacks[i].size, 16);
  l.end = plan.End();
  return l;
}

void WriteHeader(CSafeWriter& out, const Layout& l, const Contents& c, const ThreadSnapshot& threads) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  out.U32(kMinidumpSignature);
  out.U32(kMinidumpVersion);
  out.U32(kStreamCount);
  out.U32(kMinidumpHeaderSize);  // the stream directory follows the header
  out.U32(0);                    // checksum
  out.U32(static_cast<uint32_t>(now.tv_sec));
  out.U64(0);  // MiniDumpNormal
  const uint32_t streams[kStreamCount][3] = {
      {kThreadListStream, 4 + threads.count * kThreadSize, l.threadList},
      {kModuleListStream, 4 + c.moduleCount * kModuleSize, l.moduleList},
      {kMemoryListStream, 4 + c.stackCount * kMemoryDescriptorSize, l.memoryList},
      {kExceptionStream, kExceptionStreamSize, l.exception},
      {kSystemInfoStream, kSystemInfoSize, l.systemInfo},
      {kMiscInfoStream, kMiscInfoSize, l.miscInfo},
      {kLinuxProcStatusStream, static_cast<uint32_t>(c.statusLength), l.status},
      {kLinuxAuxvStream, static_cast<uint32_t>(c.auxvLength), l.auxv},
      {kLinuxMapsStream, static_cast<uint32_t>(c.maps.textLength), l.maps}};
  for (const auto& s : streams) {
    out.U32(s[0]);
    out.U32(s[1]);
    out.U32(s[2]);
  }
}

// CPUID's vendor, version and feature words (zeros on other machines).
struct CpuFacts {
  uint32_t vendor[3] = {}, version = 0, features = 0, extendedFeatures = 0;
};

CpuFacts ReadCpu() {
  CpuFacts cpu;
#if defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d) != 0) {
    cpu.vendor[0] = b;
    cpu.vendor[1] = d;
    cpu.vendor[2] = c;
  }
  if (__get_cpuid(1, &a, &b, &c, &d) != 0) {
    cpu.version = a;
    cpu.features = d;
  }
  if (__get_cpuid(0x80000001, &a, &b, &c, &d) != 0) cpu.extendedFeatures = d;
#endif
  return cpu;
}

void WriteSystemInfo(CSafeWriter& out, const Layout& l, const Contents& c, const CrashInfo& crash) {
  const CpuFacts cpu = ReadCpu();
  // Family and model with their extended parts, as processor level and
  // revision (model << 8 | stepping).
  uint32_t family = (cpu.version >> 8) & 0xF;
  uint32_t model = (cpu.version >> 4) & 0xF;
  if (family == 0xF) family += (cpu.version >> 20) & 0xFF;
  if (family >= 6) model |= ((cpu.version >> 16) & 0xF) << 4;
  out.PadTo(l.systemInfo);
  out.U16(kArchitectureAmd64);
  out.U16(static_cast<uint16_t>(family));
  out.U16(static_cast<uint16_t>(model << 8 | (cpu.version & 0xF)));
  out.U8(static_cast<uint8_t>(crash.processorCount > 255 ? 255 : crash.processorCount));
  out.U8(1);  // VER_NT_WORKSTATION
  for (uint32_t number : c.osVersion) out.U32(number);
  out.U32(kPlatformLinux);
  out.U32(l.csdVersion);
  out.U16(0);  // suite mask
  out.U16(0);
  for (uint32_t word : cpu.vendor) out.U32(word);
  out.U32(cpu.version);
  out.U32(cpu.features);
  out.U32(cpu.extendedFeatures);
  out.PadTo(l.csdVersion);
  out.U32(2 * c.csdLength);
  for (uint32_t i = 0; i < c.csdLength; ++i) out.U16(c.csdVersion[i]);
  out.U16(0);
}

void WriteMiscInfo(CSafeWriter& out, const Layout& l, const CrashInfo& crash) {
  out.PadTo(l.miscInfo);
  out.U32(kMiscInfoSize);
  out.U32(kMiscProcessId);
  out.U32(static_cast<uint32_t>(crash.processId));
  for (int i = 0; i < 3; ++i) out.U32(0);  // process times, not given
}

// The signal's number as the code and si_code as the flags, as Linux
// minidump readers expect. A fault the machine raised (si_code > 0) has an
// address; a signal sent by a process has none.
void WriteException(CSafeWriter& out, const Layout& l, const CrashInfo& crash, const CapturedThread& thread) {
  const int code = crash.info != nullptr ? crash.info->si_code : 0;
  const bool raised = code > 0 && (crash.signal == SIGSEGV || crash.signal == SIGBUS ||
                                   crash.signal == SIGILL || crash.signal == SIGFPE);
  const uint64_t address = raised ? reinterpret_cast<uint64_t>(crash.info->si_addr) : 0;
  const bool memoryFault = raised && (crash.signal == SIGSEGV || crash.signal == SIGBUS);
  out.PadTo(l.exception);
  out.U32(static_cast<uint32_t>(thread.tid));
  out.U32(0);
  out.U32(static_cast<uint32_t>(crash.signal));
  out.U32(static_cast<uint32_t>(code));
  out.U64(0);  // no chained record
  out.U64(address);
  // A memory fault also names the access (1 write, 8 execute, 0 read) and
  // the data address, as access violations do on Windows.
  out.U32(memoryFault ? 2 : 0);
  out.U32(0);
  uint64_t parameters[15] = {};
  if (memoryFault) {
    const uint64_t error = thread.regs.faultError;
    parameters[0] = (error & 0x10) != 0 ? 8 : (error & 0x2) != 0 ? 1 : 0;
    parameters[1] = address;
  }
  for (uint64_t p : parameters) out.U64(p);
  out.U32(kAmd64ContextSize);
  out.U32(l.contexts);
}

void WriteThreads(CSafeWriter& out, const Layout& l, const Contents& c, const ThreadSnapshot& threads) {
  out.PadTo(l.threadList);
  out.U32(threads.count);
  for (uint32_t i = 0; i < threads.count; ++i) {
    out.U32(static_cast<uint32_t>(threads.threads[i].tid));
    out.U32(0);  // suspend count
    out.U32(0);  // priority class
    out.U32(0);  // priority
    out.U64(0);  // TEB
    out.U64(c.stacks[i].start);
    out.U32(c.stacks[i].size);
    out.U32(c.stacks[i].size > 0 ? l.stacks[i] : 0);
    out.U32(kAmd64ContextSize);
    out.U32(l.contexts + i * kAmd64ContextSize);
  }
  out.PadTo(l.contexts);
  for (uint32_t i = 0; i < threads.count; ++i) {
    out.Bytes(threads.threads[i].context, kAmd64ContextSize);
  }
}

void WriteModules(CSafeWriter& out, const Layout& l, const Contents& c) {
  out.PadTo(l.moduleList);
  out.U32(c.moduleCount);
  for (uint32_t i = 0; i < c.moduleCount; ++i) {
    const MappedModule& m = c.maps.modules[c.modules[i].mapIndex];
    const uint32_t idSize = c.modules[i].buildId.size;
    out.U64(m.base);
    out.U32(static_cast<uint32_t>(m.end - m.base));
    out.U32(0);  // checksum
    out.U32(0);  // time stamp
    out.U32(l.names[i]);
    for (int k = 0; k < 13; ++k) out.U32(0);  // VS_FIXEDFILEINFO
    out.U32(idSize > 0 ? 4 + idSize : 0);     // CodeView record
    out.U32(idSize > 0 ? l.cvRecords[i] : 0);
    out.U32(0);  // misc record
    out.U32(0);
    out.U64(0);
    out.U64(0);
  }
  for (uint32_t i = 0; i < c.moduleCount; ++i) {
    out.PadTo(l.names[i]);
    out.U32(2 * c.nameLength[i]);
    for (uint32_t k = 0; k < c.nameLength[i]; ++k) out.U16(c.names[c.nameOffset[i] + k]);
    out.U16(0);
    const BuildId& id = c.modules[i].buildId;
    if (id.size == 0) continue;
    out.PadTo(l.cvRecords[i]);
    out.U32(kCvSignatureElfBuildId);
    out.Bytes(id.bytes, id.size);
  }
}

void WriteProcFiles(CSafeWriter& out, const Layout& l, const Contents& c) {
  out.PadTo(l.maps);
  out.Bytes(c.maps.text, c.maps.textLength);
  out.PadTo(l.auxv);
  out.Bytes(c.auxv, c.auxvLength);
  out.PadTo(l.status);
  out.Bytes(c.status, c.statusLength);
}

void WriteMemory(CSafeWriter& out, const Layout& l, const Contents& c, const ThreadSnapshot& threads,
                 pid_t source) {
  out.PadTo(l.memoryList);
  out.U32(c.stackCount);
  for (uint32_t i = 0; i < threads.count; ++i) {
    if (c.stacks[i].size == 0) continue;
    out.U64(c.stacks[i].start);
    out.U32(c.stacks[i].size);
    out.U32(l.stacks[i]);
  }
  for (uint32_t i = 0; i < threads.count; ++i) {
    out.PadTo(l.stacks[i]);
    out.Memory(source, c.stacks[i].start, c.stacks[i].size);
  }
}

}  // namespace

bool WriteMinidump(int fd, const CrashInfo& crash, const ThreadSnapshot& threads) {
  Contents& c = g_contents;
  Layout& layout = g_layout;
  // The maps and auxv of the process whose memory is read (a copy made at
  // the crash has the same); the status, which anyone may read, of the
  // crashed process itself.
  ReadMaps(crash.memorySource, &c.maps);
  KeepElfModules(crash.memorySource, &c);
  PlanStacks(threads, &c);
  ReadProcFile(crash.memorySource, "auxv", c.auxv, &c.auxvLength);
  ReadProcFile(crash.processId, "status", c.status, &c.statusLength);
  DescribeSystem(&c);
  layout = PlanLayout(c, threads);
  CSafeWriter out(fd);
  WriteHeader(out, layout, c, threads);
  WriteSystemInfo(out, layout, c, crash);
  WriteMiscInfo(out, layout, crash);
  WriteException(out, layout, crash, threads.threads[0]);
  WriteThreads(out, layout, c, threads);
  WriteModules(out, layout, c);
  WriteProcFiles(out, layout, c);
  WriteMemory(out, layout, c, threads, crash.memorySource);
  return out.Flush() && out.Position() == layout.end;
}

}  // namespace platform::crash
