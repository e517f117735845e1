// One inbound queue of the client (requests, notifications or responses):
// received messages in arrival order, a wake-up for its dispatcher thread,
// and that thread.
#pragma once

#include <jansson.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace lpc {

class CMessageQueue {
 public:
  enum class WaitResult { kMessages, kTimeout, kClosed };

  ~CMessageQueue();

  // Makes the queue usable for a new connection; messages left over from an
  // earlier one are released.
  void Open();
  // Wakes the dispatcher; once the queue is drained, waits report kClosed.
  void Close();
  // Appends message (the reference is taken over) and wakes the dispatcher.
  void Push(json_t* message);
  // Waits up to timeoutMs for messages and moves all of them into batch.
  // Messages still queued are handed out even after Close.
  WaitResult Wait(uint32_t timeoutMs, std::deque<json_t*>* batch);

  std::thread m_dispatcher;

 private:
  void ReleaseAll();
  bool SpinBriefly() const;

  std::mutex m_lock;
  std::condition_variable m_wake;
  std::deque<json_t*> m_messages;
  bool m_closed = true;
  std::atomic<bool> m_ready{false};  // messages queued or queue closed
};

}  // namespace lpc
