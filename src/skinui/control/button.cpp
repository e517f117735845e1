// The button's state machine: hot, pushed, captured, focused, disabled.
#include "skinui/control/button.h"

#include <algorithm>

#include "skinui/render/render_engine.h"

namespace SkinUI {

CButtonUI::CButtonUI() { SetTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE); }

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

bool CButtonUI::PassedOnWithoutMouse(TUIEvent& event) {
  if (IsMouseEnabled()) return false;
  if (GetParent()) {
    PassToParent(event);
  } else if (event.type == kEventContextMenu) {
    CControlUI::OnContextMenu(event);
  }
  return true;
}

void CButtonUI::PressAt(TUIPoint point) {
  if (GetPos().Contains(point) && IsEnabled()) {
    m_uButtonState |= kButtonPushed | kButtonCaptured;
    Invalidate();
  }
}

void CButtonUI::OnButtonDown(TUIEvent& event) {
  if (!PassedOnWithoutMouse(event)) PressAt(event.mouse);
}

void CButtonUI::OnDblClick(TUIEvent& event) {
  if (!PassedOnWithoutMouse(event)) PressAt(event.mouse);
}

void CButtonUI::OnMouseMove(TUIEvent& event) {
  if (PassedOnWithoutMouse(event) || !(m_uButtonState & kButtonCaptured)) return;
  bool inside = GetPos().Contains(event.mouse);
  m_uButtonState = inside ? m_uButtonState | kButtonPushed : m_uButtonState & ~kButtonPushed;
  Invalidate();
}

void CButtonUI::OnButtonUp(TUIEvent& event) {
  if (PassedOnWithoutMouse(event) || !(m_uButtonState & kButtonCaptured)) return;
  m_uButtonState &= ~(kButtonPushed | kButtonCaptured);
  Invalidate();
  if (GetPos().Contains(event.mouse)) Activate();  // last: a click handler may destroy the button
}

void CButtonUI::OnContextMenu(TUIEvent& event) {
  if (PassedOnWithoutMouse(event)) return;
  if (IsContextMenuUsed()) SendNotify(u"menu", event.wParam, event.lParam);
}

void CButtonUI::OnMouseEnter(TUIEvent& event) {
  if (PassedOnWithoutMouse(event)) return;
  OnHotChange(true);
  PassToParent(event);
}

void CButtonUI::OnMouseLeave(TUIEvent& event) {
  if (PassedOnWithoutMouse(event)) return;
  OnHotChange(false);
  PassToParent(event);
}

void CButtonUI::OnKeyDown(TUIEvent& event) {
  if (IsKeyboardEnabled() && IsEnabled() && (event.key == u' ' || event.key == u'\r')) {
    Activate();
  } else {
    PassToParent(event);
  }
}

void CButtonUI::OnSetCursor(TUIEvent&) {
  if (GetManager()) GetManager()->SetCursor(kCursorHand);
}

void CButtonUI::OnTimer(TUIEvent& event) {
  if (event.wParam == kFadeTimerId) {
    FadeStep();
  } else {
    CLabelUI::OnTimer(event);
  }
}

void CButtonUI::OnHotChange(bool hot) {
  if (!IsEnabled()) return;
  m_uButtonState = hot ? m_uButtonState | kButtonHot : m_uButtonState & ~kButtonHot;
  Invalidate();
  if (m_uFadeDelta > 0 && GetManager()) {
    GetManager()->KillTimer(this, kFadeTimerId);  // a running fade restarts from where it is
    GetManager()->SetTimer(this, kFadeTimerId, 30);
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
  if (done && GetManager()) GetManager()->KillTimer(this, kFadeTimerId);
  Invalidate();
}

}  // namespace SkinUI
