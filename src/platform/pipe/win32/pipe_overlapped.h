// Shared pieces of the Windows pipe backend (connection and listener): the
// per-object state and the stepped wait for one overlapped operation.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/pipe/pipe_connection.h"

namespace platform::pipe_overlapped {

// A pipe handle and the manual-reset event CancelIo sets so that a waiting
// operation wakes at once.
struct Endpoint {
  HANDLE handle = INVALID_HANDLE_VALUE;
  HANDLE cancelEvent = nullptr;
  std::atomic<bool> cancelled{false};

  // Takes ownership of pipe and creates the cancel event. On failure closes
  // pipe and leaves the endpoint closed.
  bool Adopt(HANDLE pipe);
  bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
  // Marks the endpoint cancelled and wakes its waits; any thread.
  void Cancel();
  void Close();
};

// A manual-reset event for one overlapped operation, closed on scope exit.
class ScopedEvent {
 public:
  ScopedEvent() : m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~ScopedEvent() {
    if (m_event != nullptr) CloseHandle(m_event);
  }
  ScopedEvent(const ScopedEvent&) = delete;
  ScopedEvent& operator=(const ScopedEvent&) = delete;
  HANDLE get() const { return m_event; }

 private:
  HANDLE m_event;
};

// What a failed pipe call's error code means to the caller.
PipeStatus StatusOfError(DWORD error);

// Waits for the overlapped operation on pipe to end, in steps of
// kPipeWaitStepMs, asking keepWaiting between steps, and stores its byte
// count. Before returning early the operation is cancelled and awaited, so
// its OVERLAPPED and buffer may go away; an operation that finished anyway
// still reports its own result. A timeoutMs other than kPipeNoTimeout ends
// the wait after that long, as a cancel does.
PipeStatus FinishIo(const Endpoint& endpoint, HANDLE pipe, OVERLAPPED* overlapped,
                    const PipeKeepWaiting& keepWaiting, DWORD* count, uint32_t timeoutMs = kPipeNoTimeout);

}  // namespace platform::pipe_overlapped

namespace platform {
// The listener hands connected instances to connections, so both see this.
struct PipeConnection::State : pipe_overlapped::Endpoint {};
}  // namespace platform
