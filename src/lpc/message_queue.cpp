#include "lpc/message_queue.h"

#include <chrono>

namespace lpc {

CMessageQueue::~CMessageQueue() { ReleaseAll(); }

void CMessageQueue::Open() {
  ReleaseAll();
  std::lock_guard<std::mutex> lock(m_lock);
  m_closed = false;
  m_ready.store(false);
}

void CMessageQueue::Close() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_closed = true;
    m_ready.store(true);
  }
  m_wake.notify_all();
}

void CMessageQueue::Push(json_t* message) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_messages.push_back(message);
    m_ready.store(true);
  }
  m_wake.notify_one();
}

CMessageQueue::WaitResult CMessageQueue::Wait(uint32_t timeoutMs, std::deque<json_t*>* batch) {
  SpinBriefly();
  std::unique_lock<std::mutex> lock(m_lock);
  m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                  [this] { return m_closed || !m_messages.empty(); });
  if (!m_messages.empty()) {
    batch->swap(m_messages);
    m_ready.store(m_closed);
    return WaitResult::kMessages;
  }
  return m_closed ? WaitResult::kClosed : WaitResult::kTimeout;
}

// Messages on the local pipe tend to come in quick succession; yielding for
// a short while first often saves the dispatcher a sleep and a wake-up.
bool CMessageQueue::SpinBriefly() const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
  do {
    if (m_ready.load()) return true;
    std::this_thread::yield();
  } while (std::chrono::steady_clock::now() < until);
  return m_ready.load();
}

void CMessageQueue::ReleaseAll() {
  std::lock_guard<std::mutex> lock(m_lock);
  for (json_t* message : m_messages) json_decref(message);
  m_messages.clear();
}

}  // namespace lpc
