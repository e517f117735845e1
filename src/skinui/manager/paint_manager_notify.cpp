// Notifications of a paint manager: synchronous delivery and the queue of
// asynchronous ones, delivered around the next message.
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

std::u16string VirtualWndOf(CControlUI* control) {
  for (; control; control = control->GetParent()) {
    if (!control->GetVirtualWnd().empty()) return control->GetVirtualWnd();
  }
  return {};
}

}  // namespace

void CUIPaintManager::SendNotify(CControlUI* control, std::u16string_view type, uintptr_t wParam,
                                 intptr_t lParam, bool async) {
  TUINotify msg;
  msg.pSender = control;
  msg.sType = type;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

void CUIPaintManager::SendNotify(TUINotify& msg, bool async) {
  msg.ptMouse = m_ptLastMousePos;
  msg.dwTimestamp = platform::GetTickCount();
  if (m_bUsedVirtualWnd) msg.sVirtualWnd = VirtualWndOf(msg.pSender);
  if (async) {
    m_aAsyncNotify.push_back(msg);
    return;
  }
  if (msg.pSender) msg.pSender->OnNotify.Fire(msg);
  // By index: a listener may add or remove listeners while it is told.
  for (size_t i = 0; i < m_aNotifiers.size(); ++i) m_aNotifiers[i]->Notify(msg);
}

void CUIPaintManager::SendAsyncNotify() {
  // One at a time from the queue: a listener may destroy the sender of a
  // later one, which ReapObjects then clears in the queue.
  while (!m_aAsyncNotify.empty()) {
    TUINotify msg = std::move(m_aAsyncNotify.front());
    m_aAsyncNotify.erase(m_aAsyncNotify.begin());
    // A sender destroyed since the notification was queued is not announced.
    if (!msg.pSender) continue;
    msg.pSender->OnNotify.Fire(msg);
    for (size_t i = 0; i < m_aNotifiers.size(); ++i) m_aNotifiers[i]->Notify(msg);
  }
}

}  // namespace SkinUI
