// A manual-reset event: once set, every wait returns at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lpc {

class CSyncEvent {
 public:
  void Set() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_set.store(true, std::memory_order_release);
    m_wake.notify_all();
  }
  // True when the event was set within timeout.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_lock, std::defer_lock);
    if (SpinBriefly()) {
      // Taking the lock once makes sure Set has left it, so the caller may
      // destroy the event as soon as this returns.
      lock.lock();
      return true;
    }
    lock.lock();
    return m_wake.wait_for(lock, timeout, [this] { return m_set.load(std::memory_order_acquire); });
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_wake.wait(lock, [this] { return m_set.load(std::memory_order_acquire); });
  }

 private:
  // Answers on the local pipe usually come within tens of microseconds;
  // yielding for that long first saves the caller a sleep and a wake-up.
  bool SpinBriefly() const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    do {
      if (m_set.load(std::memory_order_acquire)) return true;
      std::this_thread::yield();
    } while (std::chrono::steady_clock::now() < until);
    return m_set.load(std::memory_order_acquire);
  }

  std::mutex m_lock;
  std::condition_variable m_wake;
  std::atomic<bool> m_set{false};
};

}  // namespace lpc
