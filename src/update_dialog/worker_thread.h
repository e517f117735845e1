// CWorkerThread: a thread that can be waited for with a bound. One that
// outlasts the wait is not ended forcibly: it is handed to the process's list
// of left workers, which JoinLeftWorkers() joins before the process ends, so
// no worker runs on while the objects it uses are destroyed at exit.
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
  // Stops tracking a thread that still runs: it goes to the left workers.
  void Leave();

 private:
  struct TState;
  std::shared_ptr<TState> m_state;
  std::thread m_thread;
};

// Waits for every worker left so far to end. The program calls it once its
// run mode is over and before it returns, while everything a worker may use
// still exists; a left worker was told to stop, so this wait is short.
void JoinLeftWorkers();
