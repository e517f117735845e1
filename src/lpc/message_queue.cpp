#include "lpc/message_queue.h"

#include <chrono>

namespace lpc {

CMessageQueue::~CMessageQueue() { ReleaseAll(); }

void CMessageQueue::Open() {
  std::lock_guard<std::mutex> lock(m_lock);
  for (json_t* message : m_messages) json_decref(message);
  m_messages.clear();
  m_closed = false;
}

void CMessageQueue::Close() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_closed = true;
  }
  m_wake.notify_all();
}

void CMessageQueue::Push(json_t* message) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_messages.push_back(message);
  }
  m_wake.notify_one();
}

CMessageQueue::WaitResult CMessageQueue::Wait(uint32_t timeoutMs, std::deque<json_t*>* batch) {
  std::unique_lock<std::mutex> lock(m_lock);
  m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                  [this] { return m_closed || !m_messages.empty(); });
  if (!m_messages.empty()) {
    batch->swap(m_messages);
    return WaitResult::kMessages;
  }
  return m_closed ? WaitResult::kClosed : WaitResult::kTimeout;
}

void CMessageQueue::ReleaseAll() {
  std::lock_guard<std::mutex> lock(m_lock);
  for (json_t* message : m_messages) json_decref(message);
  m_messages.clear();
}

}  // namespace lpc
