// Keyboard messages of a paint manager, and what the message loop offers it
// before dispatch: pre-message filters, Tab and Shift+Tab, system keys,
// shortcuts and accelerators.
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

char16_t ToUpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

CControlUI* MatchShortcut(CControlUI* control, void* data) {
  char16_t wanted = *static_cast<char16_t*>(data);
  char16_t shortcut = control->GetShortcut();
  return shortcut != 0 && ToUpperAscii(shortcut) == wanted ? control : nullptr;
}

CControlUI* Collect(CControlUI* control, void* data) {
  static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
  return nullptr;
}

}  // namespace

bool CUIPaintManager::HandleKeyMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t&) {
  switch (uMsg) {
    case WM_KEYDOWN:
      // Enter while no tab stop has the focus activates the default control.
      if (wParam == static_cast<uintptr_t>(VK_RETURN) && m_focus.ActivateDefault(m_pRoot)) return false;
      if (CControlUI* focus = m_focus.Get()) {
        m_pEventKey = focus;
        FireEvent(focus, kEventKeyDown, wParam, lParam);
      }
      return false;
    case WM_KEYUP:
      if (CControlUI* key = std::exchange(m_pEventKey, nullptr)) {
        FireEvent(key, kEventKeyUp, wParam, lParam);
      }
      return false;
    case WM_CHAR:
      if (CControlUI* focus = m_focus.Get()) FireEvent(focus, kEventChar, wParam, lParam);
      return false;
    default:
      return false;
  }
}

bool CUIPaintManager::PreMessageHandler(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes) {
  for (size_t i = 0; i < m_aPreMessageFilters.size(); ++i) {
    bool handled = false;
    intptr_t result = m_aPreMessageFilters[i]->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) {
      lRes = result;
      return true;
    }
  }
  switch (uMsg) {
    case WM_KEYDOWN:
      return wParam == static_cast<uintptr_t>(VK_TAB) && OnPreKeyDown(wParam);
    case WM_SYSKEYDOWN:
      if (CControlUI* focus = m_focus.Get()) FireEvent(focus, kEventSysKey, wParam, lParam);
      return false;
    case WM_SYSCHAR:
      return OnSysChar(wParam);
    default:
      return false;
  }
}

bool CUIPaintManager::OnPreKeyDown(uintptr_t) {
  // A rich edit that takes tabs itself would be asked here; none exists.
  SetNextTabControl(platform::GetKeyState(VK_SHIFT) >= 0);
  return true;
}

bool CUIPaintManager::OnSysChar(uintptr_t wParam) {
  if (!m_pRoot) return false;
  char16_t wanted = ToUpperAscii(static_cast<char16_t>(wParam));
  CControlUI* control =
      m_pRoot->FindControl(MatchShortcut, &wanted, kFindEnabled | kFindMeFirst | kFindTopFirst);
  if (!control) return false;
  if (control->GetClass() == u"Label") {
    // A label names the control after it: that one is selected.
    std::vector<CControlUI*> order;
    m_pRoot->FindControl(Collect, &order, kFindVisible | kFindEnabled | kFindMeFirst);
    auto it = std::find(order.begin(), order.end(), control);
    if (it == order.end() || ++it == order.end()) return false;
    control = *it;
  }
  control->SetFocus();
  control->Activate();
  return true;
}

bool CUIPaintManager::TranslateAccelerator(const platform::MSG& msg) {
  for (size_t i = 0; i < m_aTranslateAccelerator.size(); ++i) {
    if (m_aTranslateAccelerator[i]->TranslateAccelerator(msg) == 0) return true;
  }
  return false;
}

}  // namespace SkinUI
