// The button's state machine: hot, pushed, captured, focused, disabled.
#include "skinui/control/button.h"

#include <algorithm>

#include "skinui/render/render_engine.h"

namespace SkinUI {

CButtonUI::CButtonUI() { m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE; }

std::u16string_view CButtonUI::GetClass() const { return u"Button"; }

void* CButtonUI::GetInterface(std::u16string_view name) {
  if (name == u"Button") return this;
  return CLabelUI::GetInterface(name);
}

uint32_t CButtonUI::GetControlFlags() const {
  uint32_t flags = IsEnabled() ? uint32_t{kControlFlagSetCursor} : 0u;
  if (!IsKeyboardEnabled()) return flags;
  return flags | kControlFlagTabStop | (m_bDefault ? uint32_t{kControlFlagDefault} : 0u);
}

bool CButtonUI::Activate() {
  if (!CControlUI::Activate()) return false;
  SendNotify(u"click");
  return true;
}

bool CButtonUI::GetAccessibleInfo(TUIAccessibleInfo& info) const {
  info.role = platform::EAccessibleRole::kPushButton;
  info.name = GetPlainText();
  if (info.name.empty()) info.name = GetToolTip();
  info.defaultAction = u"press";
  return true;
}

void CButtonUI::SetEnabled(bool enabled) {
  CControlUI::SetEnabled(enabled);
  if (!enabled) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TUIEvent& event) {
  bool mouseEvent = event.type > kEventMouseBegin && event.type < kEventMouseEnd;
  if (!IsMouseEnabled() && mouseEvent) {
    if (m_pParent) {
      m_pParent->DoEvent(event);
    } else {
      CLabelUI::DoEvent(event);
    }
    return;
  }
  switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
      Invalidate();
      break;  // and the label's handling
    case kEventKeyDown:
      if (IsKeyboardEnabled() && IsEnabled() && (event.key == u' ' || event.key == u'\r')) {
        Activate();
        return;
      }
      break;
    case kEventSetCursor:
      if (m_pManager) m_pManager->SetCursor(kCursorHand);
      return;
    case kEventTimer:
      if (event.wParam == kFadeTimerId) {
        FadeStep();
        return;
      }
      break;
    default:
      if (HandleMouse(event)) return;
      break;
  }
  CLabelUI::DoEvent(event);
}

bool CButtonUI::HandleMouse(TUIEvent& event) {
  bool inside = m_rcItem.Contains(event.mouse);
  switch (event.type) {
    case kEventButtonDown:
    case kEventDblClick:
      if (inside && IsEnabled()) {
        m_uButtonState |= kButtonPushed | kButtonCaptured;
        Invalidate();
      }
      return true;
    case kEventMouseMove:
      if (m_uButtonState & kButtonCaptured) {
        m_uButtonState = inside ? m_uButtonState | kButtonPushed : m_uButtonState & ~kButtonPushed;
        Invalidate();
      }
      return true;
    case kEventButtonUp:
      if (m_uButtonState & kButtonCaptured) {
        m_uButtonState &= ~(kButtonPushed | kButtonCaptured);
        Invalidate();
        if (inside) Activate();  // last: a click handler may destroy the button
      }
      return true;
    case kEventContextMenu:
      if (IsContextMenuUsed()) SendNotify(u"menu", event.wParam, event.lParam);
      return true;
    case kEventMouseEnter:
    case kEventMouseLeave:
      OnHotChange(event, event.type == kEventMouseEnter);
      CLabelUI::DoEvent(event);
      return true;
    default:
      return false;
  }
}

void CButtonUI::OnHotChange(TUIEvent& event, bool hot) {
  (void)event;
  if (!IsEnabled()) return;
  m_uButtonState = hot ? m_uButtonState | kButtonHot : m_uButtonState & ~kButtonHot;
  Invalidate();
  if (m_uFadeDelta > 0 && m_pManager) {
    m_pManager->KillTimer(this, kFadeTimerId);  // a running fade restarts from where it is
    m_pManager->SetTimer(this, kFadeTimerId, 30);
  }
}

void CButtonUI::FadeStep() {
  bool done;
  if (m_uButtonState & kButtonHot) {
    m_uFadeAlpha = static_cast<uint8_t>(std::max(0, m_uFadeAlpha - m_uFadeDelta));
    done = m_uFadeAlpha == 0;
  } else {
    m_uFadeAlpha = static_cast<uint8_t>(std::min(255, m_uFadeAlpha + m_uFadeDelta));
    done = m_uFadeAlpha == 255;
  }
  if (done && m_pManager) m_pManager->KillTimer(this, kFadeTimerId);
  Invalidate();
}

}  // namespace SkinUI
