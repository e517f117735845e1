// Geometry, visibility, state and events of the base control.
#include "skinui/control/control.h"

#include <algorithm>
#include <atomic>

#include "skinui/control/ui_scale.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

std::atomic<int32_t> g_lastAccessibleId{0};

}  // namespace

int32_t CControlUI::GetLastAccessibleId() { return g_lastAccessibleId.load(); }

CControlUI::CControlUI() : m_nAccessibleId(++g_lastAccessibleId) {}

CControlUI::~CControlUI() {
  OnDestroy.Fire(this);
  if (m_pManager) m_pManager->ReapObjects(this);
}

std::u16string_view CControlUI::GetClass() const { return u"Control"; }

void* CControlUI::GetInterface(std::u16string_view name) { return name == u"Control" ? this : nullptr; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

bool CControlUI::GetAccessibleInfo(TUIAccessibleInfo&) const { return false; }

void CControlUI::SetManager(IControlHost* manager, CControlUI* parent, bool init) {
  m_pManager = manager;
  m_pParent = parent;
  if (init) Init();
}

void CControlUI::SetText(std::u16string_view text) {
  if (m_sText == text) return;
  m_sText = text;
  // Sized in both directions, it keeps its size whatever it says: laying its
  // parent out again would only repaint the parent (a progress label changes
  // its text ten times a second).
  const TUISize fixed = GetFixedSize();
  if (fixed.cx >= 1 && fixed.cy >= 1) {
    Invalidate();
  } else {
    Relayout();
  }
  if (m_pManager) m_pManager->AnnounceAccessible(this, platform::EAccessibleEvent::kNameChange);
}

TUIRect CControlUI::GetRelativePos() const {
  if (!m_pParent) return {};
  TUIRect rc = m_rcItem;
  rc.Offset(-m_pParent->GetPos().left, -m_pParent->GetPos().top);
  return rc;
}

IUIRenderHost* CControlUI::GetHost() const { return m_pManager; }

int CControlUI::Scale(int value) const {
  return m_pManager ? ScaleSize(value, m_pManager->GetDPIScale()) : std::min(value, kUIMaxSize);
}

TUIRect CControlUI::ScaleRect(const TUIRect& rc) const {
  int left = Scale(rc.left), top = Scale(rc.top);
  return {left, top, left + Scale(rc.right - rc.left), top + Scale(rc.bottom - rc.top)};
}

void CControlUI::SetPos(const TUIRect& given) {
  TUIRect rc = given;
  rc.right = std::max(rc.left, rc.right);
  rc.bottom = std::max(rc.top, rc.bottom);
  TUIRect area = m_rcItem.IsEmpty() ? rc : m_rcItem;
  if (m_bFloat && m_pParent) {
    // rc is relative to the parent and in 96-DPI units; the fixed values are
    // recomputed so that the parent's next layout reproduces this placement.
    const TUIRect& parent = m_pParent->GetPos();
    m_rcItem = {Scale(rc.left) + parent.left, Scale(rc.top) + parent.top, Scale(rc.right) + parent.left,
                Scale(rc.bottom) + parent.top};
    int width = m_pParent->GetWidth(), height = m_pParent->GetHeight();
    if (m_pManager) {  // the percentages apply to the parent's size in 96-DPI units
      width = UnscaleSize(width, m_pManager->GetDPIScale());
      height = UnscaleSize(height, m_pManager->GetDPIScale());
    }
    m_cXY.cx = rc.left - static_cast<int>(m_piFloatPercent.left * width);
    m_cXY.cy = rc.top - static_cast<int>(m_piFloatPercent.top * height);
    m_cxyFixed.cx = rc.right - static_cast<int>(m_piFloatPercent.right * width) - m_cXY.cx;
    m_cxyFixed.cy = rc.bottom - static_cast<int>(m_piFloatPercent.bottom * height) - m_cXY.cy;
  } else if (!m_bFloat) {
    m_rcItem = rc;
  }
  if (!m_pManager) return;
  if (!m_bSetPos) {
    m_bSetPos = true;
    OnSize.Fire(this);
    m_bSetPos = false;
  }
  m_bUpdateNeeded = false;
  if (IsVisible()) InvalidateArea(Union(area, m_rcItem));
}

void CControlUI::InvalidateArea(TUIRect area) {
  if (!m_pManager) return;
  for (CControlUI* p = m_pParent; p; p = p->GetParent()) {
    if (!p->IsVisible()) return;
    area = Intersect(area, p->GetPos());
    if (area.IsEmpty()) return;
  }
  m_pManager->Invalidate(area);
}

void CControlUI::Invalidate() {
  if (IsVisible()) InvalidateArea(m_rcItem);
}

void CControlUI::NeedUpdate() {
  if (!IsVisible()) return;
  m_bUpdateNeeded = true;
  Invalidate();
  if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
  if (m_pParent) {
    m_pParent->NeedUpdate();
    m_pParent->Invalidate();
  } else {
    NeedUpdate();
  }
  if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::Relayout() {
  if (m_bFloat) {
    NeedUpdate();
  } else {
    NeedParentUpdate();
  }
}

uint32_t CControlUI::GetAdjustColor(uint32_t color) const {
  if (!m_style.colorHSL) return color;
  short h = 180, s = 100, l = 100;
  CUIRenderEngine::GetAdjustHSL(&h, &s, &l);
  return CUIRenderEngine::AdjustColor(color, h, s, l);
}

void CControlUI::SetVisible(bool visible) {
  if (m_bVisible == visible) return;
  bool wasVisible = IsVisible();
  m_bVisible = visible;
  m_bFocused = false;
  if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
  if (IsVisible() != wasVisible) NeedParentUpdate();
  if (m_pManager) {
    m_pManager->AnnounceAccessible(
        this, visible ? platform::EAccessibleEvent::kShow : platform::EAccessibleEvent::kHide);
  }
  OnVisibilityChanged();
}

void CControlUI::SetInternVisible(bool visible) {
  m_bInternVisible = visible;
  if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
  OnVisibilityChanged();
}

void CControlUI::SetEnabled(bool enabled) {
  if (m_bEnabled == enabled) return;
  m_bEnabled = enabled;
  Invalidate();
}

void CControlUI::SetFocus() {
  if (m_pManager) m_pManager->SetFocus(this);
}

CControlUI* CControlUI::FindControl(FindControlProc proc, void* data, uint32_t flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if ((flags & kFindHitTest) &&
      (!m_rcItem.Contains(*static_cast<const TUIPoint*>(data)) || !m_bMouseEnabled)) {
    return nullptr;
  }
  return proc(this, data);
}

void CControlUI::Init() {
  DoInit();
  OnInit.Fire(this);
}

void CControlUI::Event(TUIEvent& event) {
  if (OnEvent.Fire(event)) Dispatch(event);
}

void CControlUI::Dispatch(TUIEvent& event) {
  switch (event.type) {
    case kEventKeyDown:
      return OnKeyDown(event);
    case kEventKeyUp:
      return OnKeyUp(event);
    case kEventChar:
      return OnChar(event);
    case kEventSysKey:
      return OnSysKey(event);
    case kEventMouseMove:
      return OnMouseMove(event);
    case kEventMouseLeave:
      return OnMouseLeave(event);
    case kEventMouseEnter:
      return OnMouseEnter(event);
    case kEventMouseHover:
      return OnMouseHover(event);
    case kEventButtonDown:
      return OnButtonDown(event);
    case kEventButtonUp:
      return OnButtonUp(event);
    case kEventRButtonDown:
      return OnRButtonDown(event);
    case kEventDblClick:
      return OnDblClick(event);
    case kEventContextMenu:
      return OnContextMenu(event);
    case kEventScrollWheel:
      return OnScrollWheel(event);
    case kEventWindowSize:
      return OnWindowSize(event);
    case kEventSetFocus:
      m_bFocused = true;
      return OnSetFocus(event);
    case kEventKillFocus:
      m_bFocused = false;
      return OnKillFocus(event);
    case kEventSetCursor:
      return OnSetCursor(event);
    case kEventTimer:
      return OnTimer(event);
    default:
      return PassToParent(event);
  }
}

void CControlUI::PassToParent(TUIEvent& event) {
  if (m_pParent) m_pParent->Dispatch(event);
}

void CControlUI::OnContextMenu(TUIEvent& event) {
  if (IsContextMenuUsed()) {
    SendNotify(u"menu", event.wParam, event.lParam);
  } else {
    PassToParent(event);
  }
}

void CControlUI::OnSetFocus(TUIEvent&) { Invalidate(); }

void CControlUI::OnKillFocus(TUIEvent&) { Invalidate(); }

void CControlUI::OnSetCursor(TUIEvent&) {
  if (m_pManager) m_pManager->SetCursor(kCursorArrow);
}

void CControlUI::OnTimer(TUIEvent& event) { SendNotify(u"timer", event.wParam, event.lParam); }

void CControlUI::SendNotify(std::u16string_view type, uintptr_t wParam, intptr_t lParam) {
  if (m_pManager) m_pManager->SendNotify(this, type, wParam, lParam);
}

TUISize CControlUI::EstimateSize(TUISize available) {
  (void)available;
  return GetFixedSize();
}

}  // namespace SkinUI
