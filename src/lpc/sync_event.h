// A manual-reset event: once set, every wait returns at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace lpc {

class CSyncEvent {
 public:
  void Set() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_set = true;
    m_wake.notify_all();
  }
  // True when the event was set within timeout.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_wake.wait_for(lock, timeout, [this] { return m_set; });
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_wake.wait(lock, [this] { return m_set; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_set = false;
};

}  // namespace lpc
