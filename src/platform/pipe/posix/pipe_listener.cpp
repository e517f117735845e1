// POSIX pipe stand-in, listening end: binds $ORV_PIPE_DIR/NAME, creating the
// folder (sticky and world-writable, like /tmp, so services of several users
// can share it) and replacing a stale socket file left by a dead listener.
// The socket file is readable and writable by everyone, as the product's
// global pipe is. Does not cover pipe instances limits or access control.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/pipe/pipe_connection.h"
#include "platform/pipe/posix/pipe_socket.h"

namespace platform {

namespace {

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

bool EnsureFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  if (!std::filesystem::create_directories(folder, error)) return false;
  return ::chmod(folder.c_str(), 01777) == 0;
}

// True when nothing is bound at path any more: no file, or a socket file
// nobody accepts on. Other kinds of files are left alone.
bool ClearStaleSocket(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  if (!S_ISSOCK(info.st_mode)) return false;
  const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  const sockaddr_un address = AddressOf(path);
  const bool live = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::close(probe);
  return !live && ::unlink(path.c_str()) == 0;
}

int BindSocket(const std::string& path) {
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return -1;
  const sockaddr_un address = AddressOf(path);
  if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      ::chmod(path.c_str(), 0666) != 0 || ::listen(socket, SOMAXCONN) != 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

}  // namespace

struct PipeListener::State : pipe_socket::Endpoint {
  std::string path;
};

PipeListener::PipeListener() : m_state(std::make_unique<State>()) {}

PipeListener::~PipeListener() { Close(); }

bool PipeListener::Listen(const std::string& name) {
  if (m_state->fd >= 0) return false;
  const std::string path = PipePath(name);
  if (path.empty() || !EnsureFolder(std::filesystem::path(path).parent_path())) return false;
  if (!ClearStaleSocket(path)) return false;
  const int socket = BindSocket(path);
  if (socket < 0) return false;
  if (!m_state->Adopt(socket)) {
    ::unlink(path.c_str());
    return false;
  }
  m_state->path = path;
  return true;
}

PipeStatus PipeListener::Accept(PipeConnection* connection, const PipeKeepWaiting& keepWaiting) {
  if (m_state->fd < 0 || connection->IsOpen()) return PipeStatus::kFailed;
  for (;;) {
    if (m_state->cancelled.load()) return PipeStatus::kCancelled;
    const int client = ::accept(m_state->fd, nullptr, nullptr);
    if (client >= 0) {
      return connection->m_state->Adopt(client) ? PipeStatus::kOk : PipeStatus::kFailed;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return PipeStatus::kFailed;
    const PipeStatus waited = pipe_socket::WaitReady(*m_state, POLLIN, keepWaiting);
    if (waited != PipeStatus::kOk) return waited;
  }
}

void PipeListener::CancelIo() { m_state->Cancel(); }

void PipeListener::Close() {
  if (m_state->fd >= 0) ::unlink(m_state->path.c_str());
  m_state->Close();
  m_state->path.clear();
}

}  // namespace platform
