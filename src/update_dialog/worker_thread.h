// CWorkerThread: a thread that can be waited for with a bound and, when it
// outlasts the wait, left to end on its own (with the process at the latest)
// instead of being ended forcibly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class CWorkerThread {
 public:
  CWorkerThread() = default;
  // Joins a thread that has ended; leaves one that still runs.
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Runs work on a new thread. False when a thread runs already or none
  // could be created.
  [[nodiscard]] bool Start(std::function<void()> work);
  // True while a started thread has not been joined or left.
  bool IsStarted() const { return m_thread.joinable(); }
  // Waits up to timeoutMs for the work to end; true when it has (the thread
  // is joined then). True at once when no thread was started.
  bool WaitForEnd(uint32_t timeoutMs);
  // Stops tracking a thread that still runs; it ends on its own.
  void Leave();

 private:
  struct TState;
  std::shared_ptr<TState> m_state;
  std::thread m_thread;
};
