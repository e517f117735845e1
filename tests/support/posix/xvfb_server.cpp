#include "support/posix/xvfb_server.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool ReadDisplayNumber(int fd, std::string* number) {
  char c;
  pollfd wait{fd, POLLIN, 0};
  while (poll(&wait, 1, 10000) > 0 && read(fd, &c, 1) == 1) {
    if (c == '\n') return !number->empty();
    *number += c;
  }
  return false;
}

}  // namespace

bool CXvfbServer::Start(const std::string& geometry, const std::vector<std::string>& extra) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::vector<std::string> args{
      "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", geometry, "-nolisten", "tcp", "-noreset"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  m_pid = fork();
  if (m_pid == 0) {
    close(fds[0]);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  const bool ok = m_pid > 0 && ReadDisplayNumber(fds[0], &number);
  close(fds[0]);
  if (ok) m_display = ":" + number;
  return ok;
}

void CXvfbServer::Stop() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGCONT);  // a test may have stopped it
  kill(m_pid, SIGTERM);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}
