// The message loop object with message filters and idle handlers, and the
// one loop registered per thread. Built on the window system's queue calls,
// so every backend shares it.
#include <algorithm>

#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"

namespace platform {
namespace {

thread_local CMessageLoop* t_loop = nullptr;

template <class T>
bool AddOnce(std::vector<T*>& list, T* item) {
  if (!item) return false;
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
  return true;
}

template <class T>
bool RemoveOne(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddOnce(m_filters, filter); }
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return RemoveOne(m_filters, filter); }
bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return AddOnce(m_idleHandlers, handler); }
bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return RemoveOne(m_idleHandlers, handler); }

bool CMessageLoop::IsIdleMessage(const MSG& msg) {
  return msg.message != WM_PAINT && msg.message != WM_NCMOUSEMOVE && msg.message != WM_MOUSEMOVE &&
         msg.message != WM_SYSTIMER;
}

void CMessageLoop::RunIdleHandlers() {
  // A handler may remove itself (or another) while it runs.
  std::vector<CIdleHandler*> handlers = m_idleHandlers;
  for (CIdleHandler* handler : handlers)
    if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), handler) != m_idleHandlers.end())
      handler->OnIdle();
}

int CMessageLoop::Run() {
  bool idle = true;
  MSG msg;
  for (;;) {
    if (idle && !PeekMessage(&msg, PM_NOREMOVE)) {
      RunIdleHandlers();
      idle = false;
    }
    int got = GetMessage(&msg);
    if (got == -1) continue;
    if (got == 0) return static_cast<int>(msg.wParam);
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
    if (IsIdleMessage(msg)) idle = true;
  }
}

bool CMessageLoop::PreTranslate(MSG* msg) {
  // Newest first; a copy, since a filter may remove itself.
  std::vector<CMessageFilter*> filters = m_filters;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it)
    if (std::find(m_filters.begin(), m_filters.end(), *it) != m_filters.end() &&
        (*it)->PreTranslateMessage(msg))
      return true;
  return false;
}

bool AddMessageLoop(CMessageLoop* loop) {
  if (!loop || t_loop) return false;
  t_loop = loop;
  return true;
}

bool RemoveMessageLoop() {
  bool had = t_loop != nullptr;
  t_loop = nullptr;
  return had;
}

CMessageLoop* GetMessageLoop() { return t_loop; }

}  // namespace platform
