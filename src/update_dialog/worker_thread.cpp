#include "update_dialog/worker_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

// The threads left by their CWorkerThread. Made before the first worker
// starts, so it is destroyed after everything made later; it joins what is
// still left then too, since a joinable std::thread must not be destroyed.
class CLeftWorkers {
 public:
  ~CLeftWorkers() { JoinAll(); }
  void Add(std::thread thread) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_threads.push_back(std::move(thread));
  }
  void JoinAll() {
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      threads.swap(m_threads);
    }
    for (std::thread& thread : threads) thread.join();
  }

 private:
  std::mutex m_lock;
  std::vector<std::thread> m_threads;
};

CLeftWorkers& LeftWorkers() {
  static CLeftWorkers workers;
  return workers;
}

}  // namespace

// Shared by the thread and its owner, so it outlives whichever ends first.
struct CWorkerThread::TState {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
};

CWorkerThread::~CWorkerThread() {
  if (!m_thread.joinable()) return;
  if (WaitForEnd(0)) return;
  Leave();
}

bool CWorkerThread::Start(std::function<void()> work) {
  if (m_thread.joinable()) return false;
  (void)LeftWorkers();
  auto state = std::make_shared<TState>();
  try {
    m_thread = std::thread([state, work = std::move(work)] {
      work();
      std::lock_guard<std::mutex> lock(state->mutex);
      state->done = true;
      state->ended.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  m_state = std::move(state);
  return true;
}

bool CWorkerThread::WaitForEnd(uint32_t timeoutMs) {
  if (!m_thread.joinable()) return true;
  {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    if (!m_state->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [this] { return m_state->done; })) {
      return false;
    }
  }
  m_thread.join();
  m_state.reset();
  return true;
}

void CWorkerThread::Leave() {
  if (m_thread.joinable()) LeftWorkers().Add(std::move(m_thread));
  m_state.reset();
}

void JoinLeftWorkers() { LeftWorkers().JoinAll(); }
