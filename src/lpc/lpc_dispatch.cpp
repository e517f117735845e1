#include "lpc/lpc_client_impl.h"
#include "lpc/lpc_messages.h"

namespace lpc {

void CLPCClient::DispatcherThread(CMessageQueue* queue, void (CLPCClient::*handle)(json_t*)) {
  for (;;) {
    std::deque<json_t*> batch;
    const CMessageQueue::WaitResult result = queue->Wait(platform::kPipeWaitStepMs, &batch);
    if (result == CMessageQueue::WaitResult::kClosed) return;
    if (result == CMessageQueue::WaitResult::kTimeout) {
      if (m_stopped.load() != 0) return;
      continue;
    }
    for (json_t* message : batch) {
      (this->*handle)(message);
      json_decref(message);
    }
  }
}

int32_t CLPCClient::InvokeHandler(const char* method, json_t* params, LpcRequestHandle handle) {
  std::shared_lock<std::shared_mutex> lock(m_methodLock);
  const auto found = m_methods.find(method);
  if (found == m_methods.end()) return 1;
  return found->second(params, handle);
}

void CLPCClient::HandleRequest(json_t* message) {
  const char* method = nullptr;
  int32_t id = 0;
  json_t* params = nullptr;
  if (!UnpackRequest(message, &method, &id, &params)) return;
  const LpcRequestHandle handle{++m_lastHandleSerial};
  if (!m_requestHandles.Add(handle.serial, id)) return;
  // A handler that keeps the request answers it later through SendResponse;
  // otherwise the request is forgotten unanswered.
  if (InvokeHandler(method, params, handle) != 0) m_requestHandles.Remove(handle.serial, nullptr);
}

void CLPCClient::HandleNotification(json_t* message) {
  const char* method = nullptr;
  json_t* params = nullptr;
  if (!UnpackNotification(message, &method, &params)) return;
  InvokeHandler(method, params, LpcRequestHandle{});
}

void CLPCClient::HandleResponse(json_t* message) {
  uint32_t id = 0;
  if (!ResponseId(message, &id)) return;
  std::unique_ptr<CPendingCall> call = m_pending.Take(id);
  if (call == nullptr) return;
  StoreAnswer(message, call->holder);
  std::shared_ptr<CSyncEvent> event = call->event;
  ILPCCompletion* completion = call->completion;
  const bool synchronous = call->synchronous;
  // The record's references go before the caller is woken, so the caller
  // may drop its own at once.
  call.reset();
  if (synchronous) {
    event->Set();
  } else {
    completion->Complete();
  }
}

}  // namespace lpc
