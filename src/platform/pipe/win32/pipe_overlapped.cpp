// Windows pipe backend, shared part: pipe paths "\\.\Global\Pipe\NAME",
// the cancel event of each end and the stepped wait for overlapped I/O.
// Does not cover pipe security or instance limits.
#include "platform/pipe/win32/pipe_overlapped.h"

#include <algorithm>

namespace platform {

namespace {

constexpr const char* kPipePrefix = "\\\\.\\Global\\Pipe\\";
// The longest pipe name Windows accepts, prefix included.
constexpr size_t kMaxPipePath = 256;

}  // namespace

std::string PipePath(const std::string& name) {
  // "." and ".." would be folded into the prefix by path normalisation.
  if (name.empty() || name == "." || name == "..") return {};
  if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) return {};
  std::string path = kPipePrefix + name;
  if (path.size() > kMaxPipePath) return {};
  return path;
}

namespace pipe_overlapped {

bool Endpoint::Adopt(HANDLE pipe) {
  cancelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (cancelEvent == nullptr) {
    CloseHandle(pipe);
    return false;
  }
  handle = pipe;
  cancelled.store(false);
  return true;
}

void Endpoint::Cancel() {
  cancelled.store(true);
  if (cancelEvent != nullptr) SetEvent(cancelEvent);
}

void Endpoint::Close() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (cancelEvent != nullptr) CloseHandle(cancelEvent);
  handle = INVALID_HANDLE_VALUE;
  cancelEvent = nullptr;
}

PipeStatus StatusOfError(DWORD error) {
  switch (error) {
    case ERROR_MORE_DATA:
      return PipeStatus::kOk;  // a longer message: the rest comes next
    case ERROR_BROKEN_PIPE:
    case ERROR_PIPE_NOT_CONNECTED:
    case ERROR_NO_DATA:
      return PipeStatus::kClosed;
    case ERROR_OPERATION_ABORTED:
      return PipeStatus::kCancelled;
    default:
      return PipeStatus::kFailed;
  }
}

namespace {

PipeStatus ResultOf(HANDLE pipe, OVERLAPPED* overlapped, DWORD* count, BOOL wait) {
  *count = 0;
  if (GetOverlappedResult(pipe, overlapped, count, wait)) return PipeStatus::kOk;
  return StatusOfError(GetLastError());
}

// Why the wait should end early, or kOk to keep waiting one more step.
PipeStatus StopReason(const Endpoint& endpoint, const PipeKeepWaiting& keepWaiting) {
  if (endpoint.cancelled.load()) return PipeStatus::kCancelled;
  if (keepWaiting && !keepWaiting()) return PipeStatus::kCancelled;
  return PipeStatus::kOk;
}

// Milliseconds of the next wait: one step, or what is left of the time limit.
DWORD NextStepMs(ULONGLONG deadline) {
  if (deadline == 0) return kPipeWaitStepMs;
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kPipeWaitStepMs));
}

}  // namespace

PipeStatus FinishIo(const Endpoint& endpoint, HANDLE pipe, OVERLAPPED* overlapped,
                    const PipeKeepWaiting& keepWaiting, DWORD* count, uint32_t timeoutMs) {
  const HANDLE events[2] = {overlapped->hEvent, endpoint.cancelEvent};
  const ULONGLONG deadline = timeoutMs == kPipeNoTimeout ? 0 : GetTickCount64() + timeoutMs + 1;
  PipeStatus stop = PipeStatus::kOk;
  while ((stop = StopReason(endpoint, keepWaiting)) == PipeStatus::kOk) {
    const DWORD step = NextStepMs(deadline);
    const DWORD waited = WaitForMultipleObjects(2, events, FALSE, step);
    if (waited == WAIT_OBJECT_0) return ResultOf(pipe, overlapped, count, FALSE);
    if (waited == WAIT_OBJECT_0 + 1) {
      stop = PipeStatus::kCancelled;
      break;
    }
    if (waited != WAIT_TIMEOUT) {
      stop = PipeStatus::kFailed;
      break;
    }
    if (deadline != 0 && GetTickCount64() >= deadline) {
      stop = PipeStatus::kCancelled;
      break;
    }
  }
  CancelIoEx(pipe, overlapped);
  const PipeStatus finished = ResultOf(pipe, overlapped, count, TRUE);
  return finished == PipeStatus::kOk ? PipeStatus::kOk : stop;
}

}  // namespace pipe_overlapped
}  // namespace platform
