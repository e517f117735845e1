#include <algorithm>
#include <chrono>

#include "lpc/lpc_client_impl.h"
#include "lpc/lpc_messages.h"

namespace lpc {

uint32_t CLPCClient::NextCallId() {
  std::lock_guard<std::mutex> lock(m_idLock);
  // Id 0 is skipped: to a peer it can mean "no answer wanted".
  do {
    ++m_lastCallId;
  } while (m_lastCallId == 0 || m_pending.Contains(m_lastCallId));
  return m_lastCallId;
}

// Enters record and writes call; on failure the record leaves the table again.
bool CLPCClient::WritePendingCall(json_t* call, std::unique_ptr<CPendingCall> record, uint32_t timeoutMs) {
  const uint32_t id = record->id;
  if (call == nullptr) return false;
  if (!m_pending.Add(std::move(record))) {
    json_decref(call);
    return false;
  }
  if (WriteMessage(call, timeoutMs)) return true;
  m_pending.Take(id);
  return false;
}

bool CLPCClient::CallMethod(const char* name, json_t* params, json_t* holder, uint32_t timeoutSeconds) {
  if (!json_is_object(holder)) return false;
  // The timeout bounds the whole call: writing it and waiting for the answer.
  const auto timeout = std::chrono::milliseconds(uint64_t{timeoutSeconds} * 1000);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const uint32_t id = NextCallId();
  auto event = std::make_shared<CSyncEvent>();
  auto record = std::make_unique<CPendingCall>(id, params, holder);
  record->event = event;
  const auto writeLimit = std::min<uint64_t>(timeout.count(), platform::kPipeNoTimeout - 1);
  if (!WritePendingCall(BuildCall(name, params, id), std::move(record), static_cast<uint32_t>(writeLimit))) {
    return false;
  }
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (event->WaitFor(std::max(left, std::chrono::milliseconds(0)))) return true;
  // Still in the table: nobody answered in time. Gone: the response
  // dispatcher took it a moment ago and is filling holder now.
  if (m_pending.Take(id) != nullptr) return false;
  event->Wait();
  return true;
}

bool CLPCClient::CallMethodAsync(const char* name, json_t* params, json_t* holder,
                                 ILPCCompletion* completion) {
  if (!json_is_object(holder) || completion == nullptr) return false;
  const uint32_t id = NextCallId();
  auto record = std::make_unique<CPendingCall>(id, params, holder);
  record->synchronous = false;
  record->completion = completion;
  return WritePendingCall(BuildCall(name, params, id), std::move(record), kWriteTimeoutMs);
}

}  // namespace lpc
