// POSIX crash filter: sigaction handlers for SIGSEGV, SIGBUS, SIGILL, SIGFPE
// and SIGABRT on an alternate stack. The handler has the minidump written
// (crash_dump_writer.h), starts the report process, waits for it (bounded)
// and ends the process with 0, using plain system calls only (open, write,
// close, clone, ptrace, process_vm_readv, poll, execve, waitpid, nanosleep,
// _exit).
// Covers one crash per process; a second thread that crashes meanwhile
// waits for the first to end the process. Not covered: alternate stacks for
// threads other than the installing one (their handler runs on their own
// stack, which fails only on a stack overflow).
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "common/text.h"
#include "platform/crash/crash_filter.h"
#include "platform/system/process_command_line.h"
#include "platform/crash/posix/crash_dump_writer.h"
#include "platform/crash/posix/crash_report.h"
#include "platform/crash/posix/crash_safe_io.h"

namespace platform {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr size_t kPathCapacity = 4096;

// Everything the handler needs, prepared at installation.
struct FilterState {
  char dumpPath[kPathCapacity];
  char program[kPathCapacity];
  char reportSwitch[256];
  uint32_t waitMs = kCrashReportWaitMs;
  uint32_t processorCount = 1;
  bool isReportProcess = false;
};

FilterState g_state;
alignas(16) char g_alternateStack[128 * 1024];
std::atomic<pid_t> g_crashingThread{0};

void WriteDump(int signal, siginfo_t* info, void* ucontext, pid_t tid) {
  const int fd = open(g_state.dumpPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  crash::CrashedThread crashed;
  crashed.signal = signal;
  crashed.info = info;
  crashed.ucontext = ucontext;
  crashed.threadId = tid;
  crashed.processorCount = g_state.processorCount;
  // A failed write leaves a partial dump, which is reported all the same.
  (void)crash::WriteCrashDump(fd, crashed);
  close(fd);
}

void OnFatalSignal(int signal, siginfo_t* info, void* ucontext) {
  const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  pid_t expected = 0;
  if (!g_crashingThread.compare_exchange_strong(expected, tid)) {
    if (expected == tid) _exit(0);  // a fault inside the filter itself
    while (true) pause();           // the first crash ends the process
  }
  if (!g_state.isReportProcess) {
    if (g_state.dumpPath[0] != '\0') WriteDump(signal, info, ucontext, tid);
    if (g_state.program[0] != '\0') {
      crash::RunReportProcess(g_state.program, g_state.reportSwitch, g_state.dumpPath, g_state.waitMs);
    }
  }
  _exit(0);
}

bool CopyText(char* buffer, size_t capacity, const std::u16string& text) {
  const std::string utf8 = Utf16ToUtf8(text);
  return crash::SafeCopy(buffer, capacity, utf8.c_str(), utf8.size());
}

bool IsReportProcess(const std::u16string& reportSwitch) {
  const std::vector<std::u16string> args = GetCommandLineArgs();
  return args.size() > 1 && args[1] == reportSwitch;
}

}  // namespace

bool InstallCrashFilter(const CrashFilterSettings& settings) {
  // A path that does not fit means no dump or no report, as an unknown
  // program file does.
  (void)CopyText(g_state.dumpPath, sizeof g_state.dumpPath, settings.dumpPath);
  (void)CopyText(g_state.program, sizeof g_state.program, settings.reportProgram);
  if (!CopyText(g_state.reportSwitch, sizeof g_state.reportSwitch, settings.reportSwitch)) {
    return false;
  }
  g_state.waitMs = settings.reportWaitMs;
  g_state.isReportProcess = IsReportProcess(settings.reportSwitch);
  const long processors = sysconf(_SC_NPROCESSORS_ONLN);
  g_state.processorCount = processors > 0 ? static_cast<uint32_t>(processors) : 1;
  stack_t stack{};
  stack.ss_sp = g_alternateStack;
  stack.ss_size = sizeof g_alternateStack;
  if (sigaltstack(&stack, nullptr) != 0) return false;
  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  // SA_NODEFER lets a fault inside the handler reach it again (and end the
  // process with 0) instead of killing the process.
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int signal : kFatalSignals) {
    if (sigaction(signal, &action, nullptr) != 0) return false;
  }
  return true;
}

}  // namespace platform
