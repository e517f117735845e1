// POSIX pipe stand-in, client end: a non-blocking AF_UNIX stream socket
// connected to $ORV_PIPE_DIR/NAME. Covers open, stepped reads, whole-message
// writes (serialised by a lock, optionally time-limited) and cancellation.
// The listening end must belong to root or to this user (SO_PEERCRED), the
// stand-in for refusing a squatter on the pipe name. No message-mode pipes,
// no impersonation.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/pipe/pipe_connection.h"
#include "platform/pipe/posix/pipe_socket.h"

namespace platform {

namespace {

// Only root (the service) or this user may be the other end: a socket that
// another user created under the name is refused before anything is sent.
bool IsTrustedPeer(int socket) {
  ucred peer{};
  socklen_t size = sizeof(peer);
  if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
  return peer.uid == 0 || peer.uid == ::geteuid();
}

}  // namespace

PipeConnection::PipeConnection() : m_state(std::make_unique<State>()) {}

PipeConnection::~PipeConnection() { Close(); }

bool PipeConnection::Open(const std::string& name) {
  if (m_state->fd >= 0) return false;
  const std::string path = PipePath(name);
  if (path.empty()) return false;
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      !IsTrustedPeer(socket)) {
    ::close(socket);
    return false;
  }
  return m_state->Adopt(socket);
}

bool PipeConnection::IsOpen() const { return m_state->fd >= 0; }

PipeStatus PipeConnection::Read(void* buffer, size_t size, size_t* received,
                                const PipeKeepWaiting& keepWaiting) {
  *received = 0;
  if (m_state->fd < 0 || size == 0) return PipeStatus::kFailed;
  for (;;) {
    if (m_state->cancelled.load()) return PipeStatus::kCancelled;
    const ssize_t count = ::recv(m_state->fd, buffer, size, 0);
    if (count > 0) {
      *received = static_cast<size_t>(count);
      return PipeStatus::kOk;
    }
    if (count == 0 || errno == ECONNRESET) return PipeStatus::kClosed;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return PipeStatus::kFailed;
    const PipeStatus waited = pipe_socket::WaitReady(*m_state, POLLIN, keepWaiting);
    if (waited != PipeStatus::kOk) return waited;
  }
}

bool PipeConnection::Write(const void* data, size_t size, uint32_t timeoutMs) {
  pipe_socket::Deadline deadline;
  if (timeoutMs != kPipeNoTimeout) {
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  }
  std::lock_guard<std::mutex> lock(m_writeLock);
  if (m_state->fd < 0) return false;
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    if (m_state->cancelled.load()) return false;
    const ssize_t count = ::send(m_state->fd, next, size, MSG_NOSIGNAL);
    if (count > 0) {
      next += count;
      size -= static_cast<size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return false;
    if (pipe_socket::WaitReady(*m_state, POLLOUT, nullptr, deadline) != PipeStatus::kOk) return false;
  }
  return true;
}

void PipeConnection::CancelIo() { m_state->Cancel(); }

void PipeConnection::Close() { m_state->Close(); }

}  // namespace platform
