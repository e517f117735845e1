// POSIX window core: per-thread message queues, posted and sent messages,
// timers, the tick clock. A thread waits in its backend beside an eventfd that
// PostMessage from any thread writes, so nothing polls.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>

#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_messages.h"

namespace platform::posix {

TThreadQueue::TThreadQueue() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  // A UI thread's waits end when its timers are due: without this the kernel
  // may add its default 50 us of slack to every timed wait.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

TThreadQueue::~TThreadQueue() {
  if (wakeFd >= 0) close(wakeFd);
}

void TThreadQueue::Wake() {
  uint64_t one = 1;
  // A full counter still wakes the reader, so a failed write loses nothing.
  [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
}

namespace {
// The last pointer position any thread saw, packed x:y, so that a message
// posted from any thread carries it without asking the display.
std::atomic<uint64_t> g_lastCursor{0};
}  // namespace

void RecordCursor(POINT screen) {
  g_lastCursor.store(
      (static_cast<uint64_t>(static_cast<uint32_t>(screen.x)) << 32) | static_cast<uint32_t>(screen.y),
      std::memory_order_relaxed);
}

POINT LastCursor() {
  uint64_t packed = g_lastCursor.load(std::memory_order_relaxed);
  return {static_cast<int32_t>(packed >> 32), static_cast<int32_t>(packed & 0xFFFFFFFFu)};
}

int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

int PollFor(pollfd* fds, int count, int64_t timeoutNs) {
  if (timeoutNs < 0) return ppoll(fds, count, nullptr, nullptr);
  timespec timeout{static_cast<time_t>(timeoutNs / 1000000000), static_cast<long>(timeoutNs % 1000000000)};
  return ppoll(fds, count, &timeout, nullptr);
}

std::shared_ptr<TThreadQueue> CurrentQueue() {
  thread_local std::shared_ptr<TThreadQueue> queue = std::make_shared<TThreadQueue>();
  return queue;
}

void QueueInput(TThreadQueue& queue, const MSG& msg) { queue.input.push_back({msg, queue.liveKeyState}); }

LRESULT CallProc(const std::shared_ptr<TWindow>& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window || !window->windowClass) return 0;
  return window->windowClass->proc(window->hwnd, message, wParam, lParam);
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT screen) {
  MSG msg;
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  msg.pt = screen;
  return msg;
}

namespace {

bool TakePosted(TThreadQueue& queue, MSG* msg, bool remove) {
  std::lock_guard<std::mutex> hold(queue.lock);
  if (queue.posted.empty()) return false;
  *msg = queue.posted.front();
  if (remove) queue.posted.pop_front();
  return true;
}

bool TakeInput(TThreadQueue& queue, MSG* msg, bool remove) {
  if (queue.input.empty()) return false;
  *msg = queue.input.front().msg;
  if (remove) {
    queue.keyState = queue.input.front().keyState;
    queue.input.pop_front();
  }
  return true;
}

bool TakeHover(TThreadQueue& queue, MSG* msg, bool remove) {
  if (!queue.hoverArmed || static_cast<int32_t>(GetTickCount() - queue.hoverDue) < 0) return false;
  POINT client = queue.cursor;
  ScreenToClient(queue.trackWindow, &client);
  *msg = MakeMessage(queue.trackWindow, WM_MOUSEHOVER, 0, MakeLParam(client.x, client.y));
  if (remove) {
    queue.hoverArmed = false;
    queue.trackFlags &= ~TME_HOVER;
  }
  return true;
}

bool TakePaint(TThreadQueue& queue, MSG* msg) {
  for (HWND hwnd : queue.windows) {
    auto window = LocalWindow(hwnd);
    if (window && window->hasUpdate && window->visible && !window->iconic) {
      *msg = MakeMessage(hwnd, WM_PAINT, 0, 0);
      return true;
    }
  }
  return false;
}

bool TakeTimer(TThreadQueue& queue, MSG* msg, bool remove) {
  int64_t now = NowNs();
  auto due = std::min_element(queue.timers.begin(), queue.timers.end(),
                              [](const TTimer& a, const TTimer& b) { return a.due < b.due; });
  if (due == queue.timers.end() || now < due->due) return false;
  *msg = MakeMessage(due->hwnd, WM_TIMER, due->id, 0);
  if (remove) due->due = now + int64_t{due->elapse} * 1000000;
  return true;
}

// The next message by Windows' priorities: posted, input, quit, hover,
// paint, timers.
bool TakeMessage(TThreadQueue& queue, MSG* msg, bool remove) {
  Backend().Pump();
  if (TakePosted(queue, msg, remove) || TakeInput(queue, msg, remove)) return true;
  if (queue.quit) {
    *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quit = false;
    return true;
  }
  return TakeHover(queue, msg, remove) || TakePaint(queue, msg) || TakeTimer(queue, msg, remove);
}

// Nanoseconds until the next timer or hover is due; -1 when none is.
int64_t NextDueNs(const TThreadQueue& queue) {
  int64_t now = NowNs();
  int64_t wait = -1;
  auto consider = [&](int64_t left) {
    left = std::max<int64_t>(0, left);
    wait = wait < 0 ? left : std::min(wait, left);
  };
  for (const TTimer& timer : queue.timers) consider(timer.due - now);
  if (queue.hoverArmed) consider(int64_t{static_cast<int32_t>(queue.hoverDue - GetTickCount())} * 1000000);
  return wait;
}

void WaitAndDrain(TThreadQueue& queue, int64_t timeoutNs) {
  if (!Backend().Wait(queue.wakeFd, timeoutNs)) return;
  uint64_t count;
  [[maybe_unused]] ssize_t got = read(queue.wakeFd, &count, sizeof count);
}

}  // namespace

}  // namespace platform::posix

namespace platform {

using posix::CurrentQueue;

DWORD GetTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return posix::CallProc(posix::LocalWindow(hwnd), message, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<posix::TThreadQueue> queue;
  if (!hwnd) {
    queue = CurrentQueue();
  } else if (auto window = posix::FindWindowRecord(hwnd); window && !window->destroying) {
    queue = window->queue;
  } else {
    return false;
  }
  {
    std::lock_guard<std::mutex> hold(queue->lock);
    queue->posted.push_back(posix::MakeMessage(hwnd, message, wParam, lParam));
  }
  queue->Wake();
  return true;
}

void PostQuitMessage(int exitCode) {
  auto queue = CurrentQueue();
  queue->quit = true;
  queue->quitCode = exitCode;
}

int GetMessage(MSG* msg) {
  if (!msg) return -1;
  auto queue = CurrentQueue();
  while (!posix::TakeMessage(*queue, msg, true)) posix::WaitAndDrain(*queue, posix::NextDueNs(*queue));
  return msg->message == WM_QUIT ? 0 : 1;
}

bool PeekMessage(MSG* msg, UINT removeFlags) {
  return msg && posix::TakeMessage(*CurrentQueue(), msg, (removeFlags & PM_REMOVE) != 0);
}

bool MsgWaitForInput(DWORD timeoutMs) {
  auto queue = CurrentQueue();
  DWORD deadline = GetTickCount() + timeoutMs;
  MSG msg;
  while (!posix::TakeMessage(*queue, &msg, false)) {
    int left = static_cast<int32_t>(deadline - GetTickCount());
    if (left <= 0) return false;
    int64_t leftNs = int64_t{left} * 1000000, due = posix::NextDueNs(*queue);
    posix::WaitAndDrain(*queue, due < 0 ? leftNs : std::min(due, leftNs));
  }
  return true;
}

bool TranslateMessage(const MSG* msg) {
  if (!msg || msg->lPrivate == 0) return false;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return false;
  UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  return PostMessage(msg->hwnd, charMessage, msg->lPrivate, msg->lParam);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return posix::CallProc(posix::LocalWindow(msg->hwnd), msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
  if (!posix::LocalWindow(hwnd)) return 0;
  auto queue = CurrentQueue();
  elapse = std::max<UINT>(elapse, 10);
  auto it = std::find_if(queue->timers.begin(), queue->timers.end(),
                         [&](const posix::TTimer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == queue->timers.end()) it = queue->timers.insert(queue->timers.end(), {hwnd, id, 0, 0});
  it->elapse = elapse;
  it->due = posix::NowNs() + int64_t{elapse} * 1000000;
  return id;
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
  auto queue = CurrentQueue();
  auto it = std::find_if(queue->timers.begin(), queue->timers.end(),
                         [&](const posix::TTimer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == queue->timers.end()) return false;
  queue->timers.erase(it);
  return true;
}

}  // namespace platform
