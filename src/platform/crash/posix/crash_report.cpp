// Crash report launch for the crash filter: a cloned child that runs
// execve, then a bounded wait.
// Covers starting the program again with the report switch. Not covered:
// ending a report process that outlives the wait (it finishes on its own).
#include <signal.h>
#include <unistd.h>

#include "platform/crash/posix/crash_child.h"
#include "platform/crash/posix/crash_report.h"

extern char** environ;

namespace platform::crash {

void RunReportProcess(const char* program, const char* reportSwitch, const char* dumpPath, uint32_t waitMs) {
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(reportSwitch), const_cast<char*>(dumpPath),
                  nullptr};
  const pid_t pid = CloneChild();
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(program, argv, environ);
    _exit(127);
  }
  int status = 0;
  if (pid > 0) (void)WaitForChild(pid, waitMs, &status);
}

}  // namespace platform::crash
