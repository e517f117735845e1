// Windows pipe backend, client end: CreateFileA on "\\.\Global\Pipe\NAME"
// for reading and writing, no sharing, OPEN_EXISTING, FILE_FLAG_OVERLAPPED.
// Covers stepped overlapped reads, whole-message overlapped writes
// (serialised by a lock) with an optional time limit, and cancellation.
// Opens with identification-only security quality of service. Does not wait
// for a busy pipe (WaitNamedPipe).
#include <windows.h>

#include <algorithm>

#include "platform/pipe/pipe_connection.h"
#include "platform/pipe/win32/pipe_overlapped.h"

namespace platform {

using pipe_overlapped::FinishIo;
using pipe_overlapped::ScopedEvent;
using pipe_overlapped::StatusOfError;

PipeConnection::PipeConnection() : m_state(std::make_unique<State>()) {}

PipeConnection::~PipeConnection() { Close(); }

bool PipeConnection::Open(const std::string& name) {
  if (m_state->IsOpen()) return false;
  const std::string path = PipePath(name);
  if (path.empty()) return false;
  // The server may identify the caller but not act as it: whoever squats on
  // the name cannot borrow the user's rights.
  const HANDLE pipe =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return false;
  return m_state->Adopt(pipe);
}

bool PipeConnection::IsOpen() const { return m_state->IsOpen(); }

PipeStatus PipeConnection::Read(void* buffer, size_t size, size_t* received,
                                const PipeKeepWaiting& keepWaiting) {
  *received = 0;
  if (!m_state->IsOpen() || size == 0) return PipeStatus::kFailed;
  const ScopedEvent done;
  if (done.get() == nullptr) return PipeStatus::kFailed;
  const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, MAXDWORD));
  // A zero-byte message completes a read without data; the caller wants data.
  for (;;) {
    if (m_state->cancelled.load()) return PipeStatus::kCancelled;
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.get();
    ResetEvent(done.get());
    if (!ReadFile(m_state->handle, buffer, wanted, nullptr, &overlapped)) {
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) return StatusOfError(error);
    }
    DWORD count = 0;
    const PipeStatus status = FinishIo(*m_state, m_state->handle, &overlapped, keepWaiting, &count);
    if (status != PipeStatus::kOk) return status;
    if (count > 0) {
      *received = count;
      return PipeStatus::kOk;
    }
  }
}

bool PipeConnection::Write(const void* data, size_t size, uint32_t timeoutMs) {
  std::lock_guard<std::mutex> lock(m_writeLock);
  if (!m_state->IsOpen() || m_state->cancelled.load() || size > MAXDWORD) return false;
  if (size == 0) return true;
  const ScopedEvent done;
  if (done.get() == nullptr) return false;
  OVERLAPPED overlapped{};
  overlapped.hEvent = done.get();
  // One WriteFile per message: a byte-mode pipe keeps it whole, and the lock
  // keeps other writers out until it has gone.
  if (!WriteFile(m_state->handle, data, static_cast<DWORD>(size), nullptr, &overlapped) &&
      GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  DWORD written = 0;
  const PipeStatus status = FinishIo(*m_state, m_state->handle, &overlapped, nullptr, &written, timeoutMs);
  return status == PipeStatus::kOk && written == size;
}

void PipeConnection::CancelIo() {
  m_state->Cancel();
  if (m_state->IsOpen()) CancelIoEx(m_state->handle, nullptr);
}

void PipeConnection::Close() { m_state->Close(); }

}  // namespace platform
