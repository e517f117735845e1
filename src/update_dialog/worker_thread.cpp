#include "update_dialog/worker_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

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
  if (m_thread.joinable()) m_thread.detach();
  m_state.reset();
}
