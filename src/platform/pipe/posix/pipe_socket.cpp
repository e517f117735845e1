// POSIX pipe stand-in, shared part: pipe paths under $ORV_PIPE_DIR (default
// /tmp/orvane-pipe), socket adoption, cancellation through a self-pipe and
// the stepped poll() wait. Does not cover Windows pipe security or instances.
#include "platform/pipe/posix/pipe_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

constexpr const char* kDefaultPipeDir = "/tmp/orvane-pipe";

bool SetFlags(int fd) {
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status | O_NONBLOCK) < 0) return false;
  return fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

}  // namespace

std::string PipePath(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return {};
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return {};
  const char* dir = std::getenv("ORV_PIPE_DIR");
  std::string path = (dir != nullptr && *dir != '\0') ? dir : kDefaultPipeDir;
  path += '/';
  path += name;
  if (path.size() >= sizeof(sockaddr_un{}.sun_path)) return {};
  return path;
}

namespace pipe_socket {

bool Endpoint::Adopt(int socket) {
  if (!SetFlags(socket) || pipe(wake) != 0) {
    ::close(socket);
    wake[0] = wake[1] = -1;
    return false;
  }
  if (!SetFlags(wake[0]) || !SetFlags(wake[1])) {
    ::close(socket);
    Close();
    return false;
  }
  fd = socket;
  cancelled.store(false);
  return true;
}

void Endpoint::Cancel() {
  cancelled.store(true);
  if (wake[1] >= 0) {
    const char byte = 1;
    // The byte is never drained, so every later poll() wakes at once too.
    [[maybe_unused]] const ssize_t ignored = ::write(wake[1], &byte, 1);
  }
}

void Endpoint::Close() {
  for (int* handle : {&fd, &wake[0], &wake[1]}) {
    if (*handle >= 0) ::close(*handle);
    *handle = -1;
  }
}

namespace {

// Milliseconds of the next poll(): one step, or less when the deadline is
// nearer; -1 when the deadline has passed.
int NextStepMs(const Deadline& deadline) {
  if (!deadline) return static_cast<int>(kPipeWaitStepMs);
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now()).count();
  if (left <= 0) return -1;
  return static_cast<int>(std::min<int64_t>(left, kPipeWaitStepMs));
}

}  // namespace

PipeStatus WaitReady(const Endpoint& endpoint, short events, const PipeKeepWaiting& keepWaiting,
                     const Deadline& deadline) {
  for (;;) {
    if (endpoint.cancelled.load()) return PipeStatus::kCancelled;
    if (keepWaiting && !keepWaiting()) return PipeStatus::kCancelled;
    const int step = NextStepMs(deadline);
    if (step < 0) return PipeStatus::kCancelled;
    pollfd fds[2] = {{endpoint.fd, events, 0}, {endpoint.wake[0], POLLIN, 0}};
    const int ready = poll(fds, 2, step);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return PipeStatus::kFailed;
    if (fds[1].revents != 0) return PipeStatus::kCancelled;
    if (ready > 0) return PipeStatus::kOk;
  }
}

}  // namespace pipe_socket
}  // namespace platform
