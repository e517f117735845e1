// CLPCClient: the pipe client behind ILPCClient. Its operations are spread
// over lpc_connect.cpp (connection and reader thread), lpc_dispatch.cpp
// (dispatcher threads), lpc_methods.cpp (method table, responses,
// notifications) and lpc_calls.cpp (outgoing calls).
//
// Threads: the caller's threads; while connected, the reader (ReaderThread)
// and one dispatcher per inbound queue (requests, notifications, responses).
//
// Locks, outermost first; a lock may be taken while holding only those above
// it, never one above it:
//   1. m_lifecycleLock: Connect and Disconnect (any caller thread, or the
//      reader from the disconnect callback). Held while the four threads are
//      joined, so no client thread may wait for it: the reader only tries it
//      (LockLifecycle), as whoever holds it is about to join the reader.
//   2. m_supportLock: SendMethodSupport (Connect under 1; RegisterMethod and
//      UnregisterMethod on a caller thread).
//   3. m_methodLock: exclusive in RegisterMethod, UnregisterMethod and the
//      destructor, each holding nothing else; shared in SendMethodSupport
//      (under 2) and on the request and notification dispatchers for the
//      whole run of a handler (InvokeHandler). A handler therefore calls
//      neither RegisterMethod/UnregisterMethod (3 again) nor Connect or
//      Disconnect (1 above 3, and Disconnect joins the dispatcher itself).
//   4. m_idLock: NextCallId, takes the pending-call lock (5) inside.
//   5. leaves, which take no other lock while held: the pending-call table's
//      (callers, the responses dispatcher), the request-handle set's
//      (request dispatcher, SendResponse), m_pipeLock (every write takes it
//      only to copy the pipe, the write itself runs unlocked), m_callbackLock
//      (the reader copies the callback and calls it unlocked), the receive
//      buffer's (reader) and each queue's (reader pushes, its dispatcher
//      waits).
// Completions of CallMethodAsync and the disconnect callback run with no lock
// held.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>

#include "lpc/lpc_client.h"
#include "lpc/lpc_messages.h"
#include "lpc/message_queue.h"
#include "lpc/pending_calls.h"
#include "lpc/receive_buffer.h"
#include "lpc/request_handles.h"
#include "platform/pipe/pipe_connection.h"

namespace lpc {

class CLPCClient final : public ILPCClient {
 public:
  CLPCClient() = default;
  ~CLPCClient() override;
  CLPCClient(const CLPCClient&) = delete;
  CLPCClient& operator=(const CLPCClient&) = delete;

  void Release() override;
  bool Connect(const char* name) override;
  void Disconnect() override;
  void SetDisconnectCallback(LpcDisconnectCallback function, void* value) override;
  bool RegisterMethod(const char* name, LpcMethodHandler handler) override;
  void UnregisterMethod(const char* name) override;
  bool SendResponse(json_t* value, bool isError, LpcRequestHandle handle) override;
  bool CallMethod(const char* name, json_t* params, json_t* holder, uint32_t timeoutSeconds) override;
  bool CallMethodAsync(const char* name, json_t* params, json_t* holder, ILPCCompletion* completion) override;
  bool SendNotification(const char* name, json_t* params) override;

 private:
  // Connection (lpc_connect.cpp).
  void DisconnectLocked();
  bool StartThreads(const std::shared_ptr<platform::PipeConnection>& pipe);
  void JoinThreads();
  void CloseQueues();
  void ReaderThread(std::shared_ptr<platform::PipeConnection> pipe);
  void DeliverReceived();
  void CallDisconnectCallback();
  std::shared_ptr<platform::PipeConnection> CurrentPipe();
  std::shared_ptr<platform::PipeConnection> TakePipe();
  // Takes m_lifecycleLock into lock; false on the reader thread (from the
  // disconnect callback) when another thread holds it: that thread joins
  // the reader, so waiting for it would never end.
  bool LockLifecycle(std::unique_lock<std::mutex>* lock);

  // Dispatchers (lpc_dispatch.cpp).
  void DispatcherThread(CMessageQueue* queue, void (CLPCClient::*handle)(json_t*));
  void HandleRequest(json_t* message);
  void HandleNotification(json_t* message);
  void HandleResponse(json_t* message);
  int32_t InvokeHandler(const char* method, json_t* params, LpcRequestHandle handle);

  // Writing (lpc_methods.cpp).
  // Frames and writes message (released here) within timeoutMs. A write that
  // gave up may have cut a frame, so the connection is then dropped.
  bool WriteMessage(json_t* message, uint32_t timeoutMs = kWriteTimeoutMs);
  void SendMethodSupport();

  // Calls (lpc_calls.cpp).
  uint32_t NextCallId();
  bool WritePendingCall(json_t* call, std::unique_ptr<CPendingCall> record, uint32_t timeoutMs);

  std::thread m_reader;
  std::shared_ptr<platform::PipeConnection> m_pipe;
  std::mutex m_pipeLock;
  std::atomic<uint32_t> m_stopped{1};

  std::map<std::string, LpcMethodHandler> m_methods;
  std::shared_mutex m_methodLock;
  std::mutex m_supportLock;  // keeps "MethodSupport" lists going out in table order

  CPendingCalls m_pending;
  std::mutex m_idLock;
  uint32_t m_lastCallId = 0;

  CHRPtrMap m_requestHandles;
  std::atomic<uint64_t> m_lastHandleSerial{0};

  CReceiveBuffer m_receive;
  CMessageQueue m_requests;
  CMessageQueue m_notifications;
  CMessageQueue m_responses;

  std::mutex m_callbackLock;
  LpcDisconnectCallback m_disconnectFunction = nullptr;
  void* m_disconnectValue = nullptr;

  std::mutex m_lifecycleLock;                 // Connect and Disconnect one at a time
  std::atomic<std::thread::id> m_readerId{};  // set by the reader when it starts
};

}  // namespace lpc
