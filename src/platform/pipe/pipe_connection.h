// Named pipes between processes of one machine: the client end the program
// opens ("\\.\Global\Pipe\NAME", overlapped I/O) and a small listening end
// for the local service stand-in and tests.
//
// Reads take up to the caller's buffer size; a read that has to wait waits
// in steps of kPipeWaitStepMs and asks the caller between steps whether to
// keep waiting. CancelIo ends any wait at once, from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// Largest read the program issues at once.
inline constexpr size_t kPipeReadSize = 4096;
// Length of one wait step; stop conditions are tested at least this often.
inline constexpr uint32_t kPipeWaitStepMs = 1000;
// A write time limit meaning "no limit".
inline constexpr uint32_t kPipeNoTimeout = 0xFFFFFFFF;

// The system path of the pipe called name: "\\.\Global\Pipe\NAME" on Windows,
// $ORV_PIPE_DIR/NAME (default /tmp/orvane-pipe/NAME) on POSIX. Empty when the
// name is empty, holds a path separator or makes the path too long.
std::string PipePath(const std::string& name);

enum class PipeStatus {
  kOk,         // the operation completed
  kClosed,     // the other end closed the pipe
  kCancelled,  // CancelIo was called, or the caller stopped waiting
  kFailed,     // any other error, or no pipe open
};

// Asked between wait steps; returning false ends the wait with kCancelled.
using PipeKeepWaiting = std::function<bool()>;

// One connected end of a pipe. Read, Write and CancelIo may run on different
// threads at once; Open and Close must not overlap other operations.
class PipeConnection {
 public:
  PipeConnection();
  ~PipeConnection();
  PipeConnection(const PipeConnection&) = delete;
  PipeConnection& operator=(const PipeConnection&) = delete;

  // Connects to the pipe called name (CreateFileA, read/write, no sharing,
  // OPEN_EXISTING, overlapped). Fails when nobody listens on it or the name is
  // unusable (see PipePath), or when this object is already open.
  [[nodiscard]] bool Open(const std::string& name);
  bool IsOpen() const;

  // Reads between 1 and size bytes into buffer and stores the count. Waits as
  // long as no data is there and keepWaiting (when given) returns true.
  PipeStatus Read(void* buffer, size_t size, size_t* received, const PipeKeepWaiting& keepWaiting);

  // Writes all size bytes as one unit: concurrent writers never interleave.
  // Succeeds only when every byte went out; CancelIo makes a blocked write fail,
  // and so does a peer that has not taken them all within timeoutMs. A write
  // that gave up may have sent part of the bytes.
  [[nodiscard]] bool Write(const void* data, size_t size, uint32_t timeoutMs = kPipeNoTimeout);

  // Makes waiting and later reads and writes end at once with kCancelled or
  // failure (CancelIoEx). Meant to precede Close; callable from any thread.
  void CancelIo();

  // Closes the pipe; harmless when not open.
  void Close();

 private:
  friend class PipeListener;
  struct State;
  std::unique_ptr<State> m_state;
  std::mutex m_writeLock;
};

// The listening end: creates the pipe name and hands out one connection per
// client (CreateNamedPipe + ConnectNamedPipe on Windows).
class PipeListener {
 public:
  PipeListener();
  ~PipeListener();
  PipeListener(const PipeListener&) = delete;
  PipeListener& operator=(const PipeListener&) = delete;

  // Starts listening on the pipe called name. Fails when the name is unusable,
  // another live listener owns it, or this object already listens. On
  // Windows a name also stays owned while connections accepted on it are
  // open, even after their listener has closed.
  [[nodiscard]] bool Listen(const std::string& name);

  // Waits for the next client and connects *connection (which must be closed)
  // to it. Waits in steps while keepWaiting (when given) returns true; a
  // keepWaiting that returns false at once makes this a poll for a client that
  // has already connected.
  PipeStatus Accept(PipeConnection* connection, const PipeKeepWaiting& keepWaiting);

  // Ends a waiting Accept at once, and every later one; any thread.
  void CancelIo();

  // Stops listening and removes the name; harmless when not listening.
  void Close();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace platform
