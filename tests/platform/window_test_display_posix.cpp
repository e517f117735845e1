// Test displays on POSIX: the headless backend is chosen by environment; an
// X server (x11, or x11-noshm without MIT-SHM) is an Xvfb started here, which names its free display number on
// a pipe (-displayfd), so runs in parallel never collide.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "window_test_display.h"

namespace {

pid_t g_xvfb = -1;

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

bool StartTestDisplay(const std::string& backend, std::string* error) {
  if (backend == "headless") return setenv("ORV_WINDOW_BACKEND", "headless", 1) == 0;
  if (backend != "x11" && backend != "x11-noshm") return *error = "unknown backend " + backend, false;
  // x11-noshm: a server without shared-memory images, as a remote display is.
  const char* withoutShm = backend == "x11-noshm" ? "MIT-SHM" : nullptr;
  int fds[2];
  if (pipe(fds) != 0) return *error = "pipe failed", false;
  g_xvfb = fork();
  if (g_xvfb == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    // Without withoutShm the null in its place ends the arguments.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           "-noreset", withoutShm ? "-extension" : nullptr, withoutShm, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  bool ok = g_xvfb > 0 && ReadDisplayNumber(fds[0], &number);
  close(fds[0]);
  if (!ok) return *error = "Xvfb did not start (installed? scripts/setup.sh installs it)", false;
  unsetenv("ORV_WINDOW_BACKEND");
  return setenv("DISPLAY", (":" + number).c_str(), 1) == 0;
}

void StopTestDisplay() {
  if (g_xvfb <= 0) return;
  kill(g_xvfb, SIGTERM);
  waitpid(g_xvfb, nullptr, 0);
  g_xvfb = -1;
}
