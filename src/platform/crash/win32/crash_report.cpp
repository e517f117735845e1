// Crash report launch for the crash filter: CreateProcessW, then a bounded
// WaitForSingleObject.
// Covers starting the program again with the report switch. Not covered:
// ending a report process that outlives the wait (it finishes on its own).
#include <windows.h>

#include "platform/crash/win32/crash_report.h"

namespace platform::crash {

void RunReportProcess(const wchar_t* program, wchar_t* commandLine, uint32_t waitMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, waitMs);
  CloseHandle(process.hProcess);
}

}  // namespace platform::crash
