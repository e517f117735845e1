// Windows minidump for the crash filter: CreateFileW and dbghelp's
// MiniDumpWriteDump (the dump type below, no user streams, no callback).
// Covers the dump of the current process only; reading the dump back and
// dumps of other processes are not covered.
#include <windows.h>
#include <dbghelp.h>

#include "platform/crash/win32/crash_minidump.h"

namespace platform::crash {
namespace {

// What a crash analyst reads beyond MiniDumpNormal (every thread's registers
// and stack, the modules with their CodeView records, the exception): each
// thread's times, start address and affinity; the memory the stacks point
// into (small blocks around each pointer, so the size stays bounded by the
// stacks); the unloaded modules (a crash in code that was unloaded); and
// the memory map. Whole memory and data segments stay out: their size has no
// bound, and they hold whatever the process held, the environment included.
constexpr MINIDUMP_TYPE kDumpType =
    static_cast<MINIDUMP_TYPE>(MiniDumpWithThreadInfo | MiniDumpWithIndirectlyReferencedMemory |
                               MiniDumpWithUnloadedModules | MiniDumpWithFullMemoryInfo);

}  // namespace

bool WriteCrashDump(const wchar_t* path, EXCEPTION_POINTERS* exception, DWORD threadId) {
  const HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION info{};
  info.ThreadId = threadId;
  info.ExceptionPointers = exception;
  info.ClientPointers = FALSE;
  const BOOL written =
      MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, kDumpType, &info, nullptr, nullptr);
  CloseHandle(file);
  return written != FALSE;
}

}  // namespace platform::crash
