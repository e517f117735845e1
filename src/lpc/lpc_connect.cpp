#include <new>
#include <system_error>

#include "lpc/lpc_client_impl.h"
#include "lpc/lpc_messages.h"

ILPCClient* CreateLPCClient() { return new (std::nothrow) lpc::CLPCClient(); }

namespace lpc {

namespace {

// Joining oneself is impossible; a thread that tears down its own client
// (from the disconnect callback) lets its thread run out on its own.
void JoinOrDetach(std::thread* thread) {
  if (!thread->joinable()) return;
  if (thread->get_id() == std::this_thread::get_id()) {
    thread->detach();
  } else {
    thread->join();
  }
}

}  // namespace

CLPCClient::~CLPCClient() {
  Disconnect();
  m_receive.Clear();
  std::unique_lock<std::shared_mutex> lock(m_methodLock);
  m_methods.clear();
}

void CLPCClient::Release() { delete this; }

bool CLPCClient::LockLifecycle(std::unique_lock<std::mutex>* lock) {
  if (m_readerId.load() == std::this_thread::get_id()) return lock->try_lock();
  lock->lock();
  return true;
}

bool CLPCClient::Connect(const char* name) {
  std::unique_lock<std::mutex> lock(m_lifecycleLock, std::defer_lock);
  if (!LockLifecycle(&lock)) return false;
  if (m_stopped.load() == 0) return true;
  // A connection the service broke leaves its threads to be collected here.
  JoinThreads();
  m_stopped.store(0);
  if (CurrentPipe() != nullptr) return true;
  auto pipe = std::make_shared<platform::PipeConnection>();
  if (name == nullptr || !pipe->Open(name)) {
    DisconnectLocked();
    return false;
  }
  {
    std::lock_guard<std::mutex> pipeLock(m_pipeLock);
    m_pipe = pipe;
  }
  m_receive.Clear();
  if (!StartThreads(pipe)) {
    DisconnectLocked();
    return false;
  }
  SendMethodSupport();
  return true;
}

bool CLPCClient::StartThreads(const std::shared_ptr<platform::PipeConnection>& pipe) {
  m_requests.Open();
  m_notifications.Open();
  m_responses.Open();
  try {
    m_requests.m_dispatcher =
        std::thread(&CLPCClient::DispatcherThread, this, &m_requests, &CLPCClient::HandleRequest);
    m_notifications.m_dispatcher =
        std::thread(&CLPCClient::DispatcherThread, this, &m_notifications, &CLPCClient::HandleNotification);
    m_responses.m_dispatcher =
        std::thread(&CLPCClient::DispatcherThread, this, &m_responses, &CLPCClient::HandleResponse);
    m_reader = std::thread(&CLPCClient::ReaderThread, this, pipe);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CLPCClient::Disconnect() {
  std::unique_lock<std::mutex> lock(m_lifecycleLock, std::defer_lock);
  // Refused only while another thread disconnects (or reconnects) anyway.
  if (!LockLifecycle(&lock)) return;
  DisconnectLocked();
}

void CLPCClient::DisconnectLocked() {
  m_stopped.store(1);
  // Cancelling first ends the reader's wait now instead of at its next step.
  if (auto pipe = CurrentPipe()) pipe->CancelIo();
  CloseQueues();
  JoinThreads();
  if (auto pipe = TakePipe()) pipe->CancelIo();
}

void CLPCClient::CloseQueues() {
  m_requests.Close();
  m_notifications.Close();
  m_responses.Close();
}

void CLPCClient::JoinThreads() {
  JoinOrDetach(&m_reader);
  // The id may be given to another thread once this one is gone.
  m_readerId.store(std::thread::id());
  JoinOrDetach(&m_requests.m_dispatcher);
  JoinOrDetach(&m_notifications.m_dispatcher);
  JoinOrDetach(&m_responses.m_dispatcher);
}

void CLPCClient::SetDisconnectCallback(LpcDisconnectCallback function, void* value) {
  std::lock_guard<std::mutex> lock(m_callbackLock);
  m_disconnectFunction = function;
  m_disconnectValue = value;
}

void CLPCClient::ReaderThread(std::shared_ptr<platform::PipeConnection> pipe) {
  m_readerId.store(std::this_thread::get_id());
  char buffer[platform::kPipeReadSize];
  const platform::PipeKeepWaiting keepWaiting = [this] { return m_stopped.load() == 0; };
  while (m_stopped.load() == 0) {
    size_t count = 0;
    if (pipe->Read(buffer, sizeof(buffer), &count, keepWaiting) != platform::PipeStatus::kOk) break;
    m_receive.Append(buffer, count);
    DeliverReceived();
    // What is left is one unfinished frame; a peer that makes it longer than
    // any frame may be is dropped before it eats the memory.
    if (m_receive.Size() >= kMaxFrameBytes) break;
  }
  // Still marked running: the pipe broke under us rather than Disconnect
  // stopping us, so this thread closes the link itself.
  if (m_stopped.exchange(1) == 0) {
    pipe->CancelIo();
    TakePipe();
    CloseQueues();
  }
  CallDisconnectCallback();
}

void CLPCClient::DeliverReceived() {
  std::string text;
  while (m_receive.TakeMessage(&text)) {
    json_error_t error;
    json_t* message = json_loadb(text.data(), text.size(), 0, &error);
    if (message == nullptr) continue;
    switch (Classify(message)) {
      case MessageKind::kRequest:
        m_requests.Push(message);
        break;
      case MessageKind::kNotification:
        m_notifications.Push(message);
        break;
      case MessageKind::kResponse:
        m_responses.Push(message);
        break;
    }
  }
}

void CLPCClient::CallDisconnectCallback() {
  LpcDisconnectCallback function = nullptr;
  void* value = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_callbackLock);
    function = m_disconnectFunction;
    value = m_disconnectValue;
  }
  if (function != nullptr) function(value);
}

std::shared_ptr<platform::PipeConnection> CLPCClient::CurrentPipe() {
  std::lock_guard<std::mutex> lock(m_pipeLock);
  return m_pipe;
}

std::shared_ptr<platform::PipeConnection> CLPCClient::TakePipe() {
  std::lock_guard<std::mutex> lock(m_pipeLock);
  return std::move(m_pipe);
}

}  // namespace lpc
