// Windows pipe backend, listening end: CreateNamedPipeW byte-mode instances
// of "\\.\Global\Pipe\NAME" (overlapped, local clients only) and
// ConnectNamedPipe with the stepped wait. The first instance claims the name
// (FILE_FLAG_FIRST_PIPE_INSTANCE, and a WaitNamedPipeW look beforehand for
// systems that ignore that flag, as Wine does); after each Accept the next
// instance is created at once, so a client may connect before Accept is
// called again. Uses the default pipe security: clients running as other
// users may only read. The name stays taken while connections made from it
// are open. Accept is meant for one thread at a time.
#include <windows.h>

#include "platform/system/codepage.h"
#include "platform/pipe/pipe_connection.h"
#include "platform/pipe/win32/pipe_overlapped.h"
#include "platform/system/win32/wide.h"

namespace platform {

using pipe_overlapped::FinishIo;
using pipe_overlapped::ScopedEvent;
using pipe_overlapped::StatusOfError;

namespace {

constexpr DWORD kPipeBufferSize = 64 * 1024;

HANDLE CreateInstance(const std::u16string& path, bool first) {
  const DWORD openMode =
      PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
  const DWORD pipeMode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
  return CreateNamedPipeW(win32::W(path), openMode, pipeMode, PIPE_UNLIMITED_INSTANCES, kPipeBufferSize,
                          kPipeBufferSize, 0, nullptr);
}

// True when instances of the pipe called name exist already. WaitNamedPipeW
// only knows the "\\.\pipe\" form of the name; both reach the same pipe.
bool NameInUse(const std::string& name) {
  const std::u16string path = AnsiToWide("\\\\.\\pipe\\" + name);
  if (WaitNamedPipeW(win32::W(path), 1)) return true;
  return GetLastError() != ERROR_FILE_NOT_FOUND;
}

}  // namespace

struct PipeListener::State : pipe_overlapped::Endpoint {
  std::u16string path;

  // Waits until a client is connected to the current instance.
  PipeStatus Connect(const PipeKeepWaiting& keepWaiting);
};

PipeStatus PipeListener::State::Connect(const PipeKeepWaiting& keepWaiting) {
  const ScopedEvent done;
  if (done.get() == nullptr) return PipeStatus::kFailed;
  OVERLAPPED overlapped{};
  overlapped.hEvent = done.get();
  if (!ConnectNamedPipe(handle, &overlapped)) {
    const DWORD error = GetLastError();
    // Connected before we asked; a client already gone again is handed over
    // too, and its connection reports the end at the first read.
    if (error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA) return PipeStatus::kOk;
    if (error != ERROR_IO_PENDING) return StatusOfError(error);
  }
  DWORD ignored = 0;
  return FinishIo(*this, handle, &overlapped, keepWaiting, &ignored);
}

PipeListener::PipeListener() : m_state(std::make_unique<State>()) {}

PipeListener::~PipeListener() { Close(); }

bool PipeListener::Listen(const std::string& name) {
  if (!m_state->path.empty()) return false;
  const std::string path = PipePath(name);
  if (path.empty() || NameInUse(name)) return false;
  std::u16string widePath = AnsiToWide(path);
  const HANDLE first = CreateInstance(widePath, true);
  if (first == INVALID_HANDLE_VALUE || !m_state->Adopt(first)) return false;
  m_state->path = std::move(widePath);
  return true;
}

PipeStatus PipeListener::Accept(PipeConnection* connection, const PipeKeepWaiting& keepWaiting) {
  if (m_state->path.empty() || connection->IsOpen()) return PipeStatus::kFailed;
  if (m_state->cancelled.load()) return PipeStatus::kCancelled;
  if (!m_state->IsOpen()) {
    m_state->handle = CreateInstance(m_state->path, false);
    if (!m_state->IsOpen()) return PipeStatus::kFailed;
  }
  const PipeStatus status = m_state->Connect(keepWaiting);
  if (status != PipeStatus::kOk) return status;
  const HANDLE connected = m_state->handle;
  // A failed creation leaves the name to the connected instance; the next
  // Accept tries again.
  m_state->handle = CreateInstance(m_state->path, false);
  return connection->m_state->Adopt(connected) ? PipeStatus::kOk : PipeStatus::kFailed;
}

void PipeListener::CancelIo() { m_state->Cancel(); }

void PipeListener::Close() {
  m_state->Close();
  m_state->path.clear();
}

}  // namespace platform
