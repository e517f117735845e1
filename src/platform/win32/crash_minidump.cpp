// Windows minidump for the crash filter: CreateFileW and dbghelp's
// MiniDumpWriteDump (MiniDumpNormal, no user streams, no callback).
// Covers the dump of the current process only; reading the dump back and
// dumps of other processes are not covered.
#include <windows.h>
#include <dbghelp.h>

#include "platform/win32/crash_minidump.h"

namespace platform::crash {

bool WriteCrashDump(const wchar_t* path, EXCEPTION_POINTERS* exception, DWORD threadId) {
  const HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION info{};
  info.ThreadId = threadId;
  info.ExceptionPointers = exception;
  info.ClientPointers = FALSE;
  const BOOL written = MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file,
                                         MiniDumpNormal, &info, nullptr, nullptr);
  CloseHandle(file);
  return written != FALSE;
}

}  // namespace platform::crash
