// Child processes on POSIX: fork and exec, waitpid, SIGKILL.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/child_process.h"

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& outputFile) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  m_pid = fork();
  if (m_pid == 0) {
    if (!outputFile.empty()) {
      const int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 1);
      dup2(fd, 2);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess() { Kill(); }

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (m_pid <= 0 || m_reaped) return std::nullopt;
  int status = 0;
  const bool done = WaitFor([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }, timeout);
  if (!done) return std::nullopt;
  m_reaped = true;
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

void ChildProcess::Kill() {
  if (m_pid <= 0 || m_reaped) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
  m_reaped = true;
}
