// Shared pieces of the POSIX pipe stand-in (connection and listener): the
// per-object state and the stepped wait on a socket plus a wake-up pipe.
#pragma once

#include <poll.h>

#include <atomic>
#include <chrono>
#include <optional>

#include "platform/pipe/pipe_connection.h"

namespace platform::pipe_socket {

// A socket and the self-pipe that CancelIo writes to so that poll() wakes.
struct Endpoint {
  int fd = -1;
  int wake[2] = {-1, -1};
  std::atomic<bool> cancelled{false};

  // Takes ownership of socket, makes it non-blocking and creates the wake
  // pipe. On failure closes socket and leaves the endpoint closed.
  bool Adopt(int socket);
  void Cancel();
  void Close();
};

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

// Waits until fd has one of events (or hangs up or fails), in steps of
// kPipeWaitStepMs, asking keepWaiting between steps; a deadline that passes
// ends the wait with kCancelled. kOk means "try again".
PipeStatus WaitReady(const Endpoint& endpoint, short events, const PipeKeepWaiting& keepWaiting,
                     const Deadline& deadline = std::nullopt);

}  // namespace platform::pipe_socket

namespace platform {
// The listener hands accepted sockets to connections, so both see this.
struct PipeConnection::State : pipe_socket::Endpoint {};
}  // namespace platform
