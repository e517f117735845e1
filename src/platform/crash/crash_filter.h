// The process-wide crash filter. On a crash that nothing handles (an
// unhandled exception on Windows, a fatal signal on POSIX) it writes a
// minidump of the process (every thread, its stack and registers, the
// modules) to a file, has the crash reported by a fresh process of the
// program, and ends the process with exit code 0.
//
// The report runs in a new process because the crashed one may hold locks
// (heap, stdio, the HTTP client) that the report would need. That process is
// started as:  PROGRAM -crash_report DUMPPATH
// and is expected to send the crash report and exit. The filter waits for it
// at most reportWaitMs and then ends the crashed process either way.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/known_folders.h"

namespace platform {

// First argument of the process that reports a crash; the dump path follows.
inline constexpr char16_t kCrashReportSwitch[] = u"-crash_report";
// How long the crashed process waits for the report process.
inline constexpr uint32_t kCrashReportWaitMs = 30000;

struct CrashFilterSettings {
  // Where the dump goes; empty for no dump (the crash is still reported).
  std::u16string dumpPath;
  // The program started to report the crash; empty for no report.
  std::u16string reportProgram;
  std::u16string reportSwitch = kCrashReportSwitch;
  uint32_t reportWaitMs = kCrashReportWaitMs;
};

// Installs the filter for the whole process, replacing any earlier one.
// In a process whose first argument is settings.reportSwitch (the report
// process itself) a crash writes no dump and starts no further report, so a
// failing report cannot loop or overwrite the dump it is sending; it still
// ends with exit code 0. False when the filter could not be installed.
// POSIX: handles SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT on an alternate
// stack set up for the calling thread; other threads' handlers run on their
// own stacks. The dump names the signal as Linux minidump readers expect
// (its number as the exception code, si_code as the flags, the fault
// address) and is written by a child that traces the crashed process.
// Windows: SetUnhandledExceptionFilter; the dump holds the faulting thread's
// exception and thread information, and a stack overflow is dumped from a
// helper thread. abort() and uncaught C++ exceptions end the process through the C
// runtime instead and are not seen.
[[nodiscard]] bool InstallCrashFilter(const CrashFilterSettings& settings);

// CrashDumpFilter as the entry point installs it before anything else: the
// dump is the program file followed by ".dmp" ("ORVUpdate.exe.dmp" beside
// "ORVUpdate.exe"), and the report is the program started again with
// kCrashReportSwitch.
[[nodiscard]] inline bool InstallCrashDumpFilter(uint32_t reportWaitMs = kCrashReportWaitMs) {
  CrashFilterSettings settings;
  settings.reportProgram = GetProgramFilePath();
  if (!settings.reportProgram.empty()) settings.dumpPath = settings.reportProgram + u".dmp";
  settings.reportWaitMs = reportWaitMs;
  return InstallCrashFilter(settings);
}

}  // namespace platform
