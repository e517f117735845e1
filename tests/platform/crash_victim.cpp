// A program that installs the crash filter and then crashes as its first
// argument asks. Started again with -crash_report it records that call in
// PROGRAM.report (one line "SWITCH|DUMPPATH|PROGRAM" per report process)
// instead of reporting. Where /proc lists its threads, it records their
// number in PROGRAM.threads just before it crashes.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/text.h"
#include "platform/crash/crash_filter.h"
#include "platform/system/known_folders.h"
#include "platform/system/process_command_line.h"
#include "platform/system/sleep.h"

namespace {

constexpr uint32_t kReleaseWaitMs = 60000;

std::u16string ProgramPath() { return platform::GetProgramFilePath(); }

uint32_t WaitMs() {
  const char* value = std::getenv("ORV_CRASH_TEST_WAIT_MS");
  return value != nullptr ? static_cast<uint32_t>(std::atoi(value)) : 10000;
}

void Install() {
  if (!platform::InstallCrashDumpFilter(WaitMs())) std::exit(3);
}

// Paths stay UTF-16 up to the file system: a narrow path would be read in
// the ANSI code page on Windows.
void AppendReportLine(const std::string& line) {
  std::ofstream record(std::filesystem::path(ProgramPath() + u".report"), std::ios::binary | std::ios::app);
  record << line << "\n";
}

void RecordThreadCount() {
#ifndef _WIN32
  std::error_code error;
  std::filesystem::directory_iterator tasks("/proc/self/task", error);
  if (error) return;
  const auto count = std::distance(tasks, std::filesystem::directory_iterator());
  std::ofstream(std::filesystem::path(ProgramPath() + u".threads")) << count;
#endif
}

[[gnu::noinline]] void WriteTo(uintptr_t address) { *reinterpret_cast<volatile int*>(address) = 1; }

// A hardware division by zero, written in assembly so that neither the
// optimiser nor a sanitizer sees undefined behaviour to act on first. Not
// inlined, so that a backtrace names it.
[[gnu::noinline]] void DivideByZero() {
#if defined(__x86_64__) || defined(__i386__)
  int eax = 7, edx = 0, divisor = 0;
  asm volatile("idivl %2" : "+a"(eax), "+d"(edx) : "r"(divisor));
#else
  std::raise(SIGFPE);
#endif
}

// An undefined instruction (ud2).
[[gnu::noinline]] void IllegalInstruction() {
#if defined(__x86_64__) || defined(__i386__)
  asm volatile("ud2");
#else
  std::raise(SIGILL);
#endif
}

volatile bool g_stopRecursion = false;

// Large frames: the stack runs out after some hundred calls, a backtrace a
// debugger unwinds in a second (LLDB 14 takes minutes over the tens of
// thousands that small frames give, or overflows its own stack).
[[gnu::noinline]] int Recurse(int depth) {
  volatile char frame[16384];
  frame[0] = static_cast<char>(depth);
  if (g_stopRecursion) return 0;
  return Recurse(depth + 1) + frame[0];
}

// With ORV_CRASH_TEST_REPORT_HANGS the report process stays until the test
// creates PROGRAM.release, then records "released".
void HangUntilReleased() {
  const std::filesystem::path release(ProgramPath() + u".release");
  for (uint32_t waited = 0; waited < kReleaseWaitMs && !std::filesystem::exists(release); waited += 10) {
    platform::SleepMilliseconds(10);
  }
  AppendReportLine("released");
}

int Report() {
  const std::vector<std::u16string> args = platform::GetCommandLineArgs();
  const std::u16string dumpPath = args.size() > 2 ? args[2] : u"";
  AppendReportLine(Utf16ToUtf8(args[1] + u"|" + dumpPath + u"|" + ProgramPath()));
  if (std::getenv("ORV_CRASH_TEST_REPORT_HANGS") != nullptr) HangUntilReleased();
  if (std::getenv("ORV_CRASH_TEST_REPORT_CRASHES") != nullptr) {
    Install();
    WriteTo(0x30);
  }
  return 0;
}

int Crash(const std::string& mode) {
  // Found in the dump's copy of this thread's stack.
  volatile char marker[32];
  std::strcpy(const_cast<char*>(marker), "ORV-STACK-MARKER");
  Install();
  if (mode != "thread" && mode != "wait") RecordThreadCount();
  if (mode == "segv") WriteTo(0x10);
  if (mode == "abort") std::abort();
  if (mode == "fpe") DivideByZero();
  if (mode == "ill") IllegalInstruction();
  if (mode == "thread") {
    std::thread([] {
      RecordThreadCount();
      WriteTo(0x20);
    }).join();
  }
  if (mode == "overflow") return Recurse(0);
  if (mode == "wait") {
    std::printf("ready\n");
    std::fflush(stdout);
    while (true) platform::SleepMilliseconds(1000);
  }
  return marker[0] == 'O' ? 4 : 5;  // an unknown mode
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (std::strcmp(argv[1], "-crash_report") == 0) return Report();
  return Crash(argv[1]);
}
