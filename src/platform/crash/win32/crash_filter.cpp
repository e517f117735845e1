// Windows crash filter: SetUnhandledExceptionFilter with CrashDumpFilter,
// which writes a minidump of the process (crash_minidump.h: the faulting
// thread's id and exception pointers, ClientPointers FALSE) to the dump path,
// starts the report process and ends the process with ExitProcess(0).
// The report runs, as on POSIX, in a fresh process of the program started
// with CreateProcessW as  PROGRAM -crash_report DUMPPATH  and waited for at
// most reportWaitMs, so both backends report a crash the same way and the
// crashed process never sends a request itself. Everything the filter needs
// (paths, command line) is prepared at installation; the filter allocates
// nothing of its own.
// Covers one crash per process; a second thread that crashes meanwhile
// waits for the first to end the process. A stack overflow is dumped from a
// helper thread, since the exhausted stack cannot hold the dump writer.
// Not covered: exceptions a debugger takes first (the filter is not called
// then), and C++ exceptions or abort(), which end the process through the C
// runtime rather than as unhandled exceptions.
#include <windows.h>

#include <cwchar>

#include "common/command_line.h"
#include "platform/crash/crash_filter.h"
#include "platform/system/process_command_line.h"
#include "platform/crash/win32/crash_minidump.h"
#include "platform/crash/win32/crash_report.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

// Room for a program path of up to 1018 characters with ".dmp" and the
// terminator; a longer path gives no dump.
constexpr size_t kPathCapacity = 1024;
constexpr size_t kCommandLineCapacity = 3 * kPathCapacity;
constexpr DWORD kHelperStackBytes = 256 * 1024;

// Everything the filter needs, prepared at installation.
struct FilterState {
  wchar_t dumpPath[kPathCapacity];
  wchar_t program[kPathCapacity];
  wchar_t commandLine[kCommandLineCapacity];
  uint32_t waitMs = kCrashReportWaitMs;
  bool isReportProcess = false;
};

FilterState g_state;
volatile LONG g_crashingThread = 0;

struct CrashWork {
  EXCEPTION_POINTERS* exception;
  DWORD threadId;
};

DWORD WINAPI HandleCrash(void* parameter) {
  const CrashWork* work = static_cast<const CrashWork*>(parameter);
  // A dump that could not be written is reported all the same.
  if (g_state.dumpPath[0] != L'\0') {
    (void)crash::WriteCrashDump(g_state.dumpPath, work->exception, work->threadId);
  }
  if (g_state.program[0] != L'\0') {
    crash::RunReportProcess(g_state.program, g_state.commandLine, g_state.waitMs);
  }
  return 0;
}

void HandleOnFreshStack(CrashWork* work) {
  const HANDLE helper =
      CreateThread(nullptr, kHelperStackBytes, HandleCrash, work, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (helper == nullptr) {
    HandleCrash(work);
    return;
  }
  WaitForSingleObject(helper, INFINITE);
  CloseHandle(helper);
}

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception) {
  const DWORD self = GetCurrentThreadId();
  const LONG first = InterlockedCompareExchange(&g_crashingThread, static_cast<LONG>(self), 0);
  if (first != 0) {
    if (static_cast<DWORD>(first) == self) ExitProcess(0);  // a fault inside the filter itself
    while (true) Sleep(INFINITE);                           // the first crash ends the process
  }
  if (!g_state.isReportProcess) {
    CrashWork work{exception, self};
    const bool overflow = exception != nullptr && exception->ExceptionRecord != nullptr &&
                          exception->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW;
    if (overflow) {
      HandleOnFreshStack(&work);
    } else {
      HandleCrash(&work);
    }
  }
  ExitProcess(0);
}

bool CopyText(wchar_t* buffer, size_t capacity, const std::u16string& text) {
  buffer[0] = L'\0';
  if (text.size() >= capacity) return false;
  std::wmemcpy(buffer, win32::W(text), text.size() + 1);
  return true;
}

bool IsReportProcess(const std::u16string& reportSwitch) {
  const std::vector<std::u16string> args = GetCommandLineArgs();
  return args.size() > 1 && args[1] == reportSwitch;
}

}  // namespace

bool InstallCrashFilter(const CrashFilterSettings& settings) {
  // A path that does not fit means no dump or no report, as an unknown
  // program file does.
  (void)CopyText(g_state.dumpPath, kPathCapacity, settings.dumpPath);
  if (CopyText(g_state.program, kPathCapacity, settings.reportProgram)) {
    const std::u16string commandLine =
        JoinCommandLine({settings.reportProgram, settings.reportSwitch, settings.dumpPath});
    if (!CopyText(g_state.commandLine, kCommandLineCapacity, commandLine)) g_state.program[0] = L'\0';
  }
  g_state.waitMs = settings.reportWaitMs;
  g_state.isReportProcess = IsReportProcess(settings.reportSwitch);
  SetUnhandledExceptionFilter(CrashDumpFilter);
  return true;
}

}  // namespace platform
