// Layout at paint time and the double-buffered paint of a paint manager,
// with the layered (per-pixel alpha) presentation.
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "skinui/control/control.h"
#include "skinui/layout/container.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

// The pen of show-dirty: red 220.
constexpr uint32_t kShowDirtyColor = 0xFFDC0000;

TUIRect FromRect(const platform::RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }
platform::RECT ToRect(const TUIRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

CControlUI* CollectUpdateNeeded(CControlUI* control, void* data) {
  if (control->IsUpdateNeeded()) static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
  return nullptr;
}

bool IsSizeOf(const CUISurface& surface, const TUIRect& rect) {
  return surface.GetWidth() == rect.Width() && surface.GetHeight() == rect.Height();
}

platform::TBitmapView ViewOf(const CUISurface& surface) {
  return {surface.GetWidth() > 0 ? surface.Row(0) : nullptr, surface.GetWidth(), surface.GetHeight(),
          surface.GetWidth()};
}

// The alpha fix-up of one pixel of layered mode, with and without a layered
// background.
uint32_t FixAgainstBackground(uint32_t pixel, uint32_t background) {
  if (pixel == 0) return background;
  if (pixel == background) return pixel;
  // Drawn over the background: the shape of the window is the background's.
  const uint32_t a = AlphaOf(background);
  return MakeArgb(a, RedOf(pixel) * a / 255, GreenOf(pixel) * a / 255, BlueOf(pixel) * a / 255);
}

uint32_t FixWithoutBackground(uint32_t pixel, uint8_t opacity) {
  // Colour with alpha 0 comes from drawing that knows no alpha: it is opaque.
  if ((pixel & 0x00FFFFFF) != 0 && AlphaOf(pixel) == 0) {
    return (pixel & 0x00FFFFFF) | (static_cast<uint32_t>(opacity) << 24);
  }
  return pixel;
}

// The alpha fix-up of layered mode over dirty of target.
void FixLayeredAlpha(CUISurface& target, const CUISurface* background, const TUIRect& dirty,
                     uint8_t opacity) {
  for (int y = dirty.top; y < dirty.bottom; ++y) {
    uint32_t* row = target.Row(y);
    const uint32_t* bg = background ? background->Row(y) : nullptr;
    for (int x = dirty.left; x < dirty.right; ++x) {
      row[x] = bg ? FixAgainstBackground(row[x], bg[x]) : FixWithoutBackground(row[x], opacity);
    }
  }
}

}  // namespace

TUISize CUIPaintManager::GetClientSize() const {
  platform::RECT rc;
  if (!m_hWndPaint || !platform::GetClientRect(m_hWndPaint, &rc)) return {};
  return {rc.right - rc.left, rc.bottom - rc.top};
}

void CUIPaintManager::Invalidate() {
  TUISize size = GetClientSize();
  Invalidate({0, 0, size.cx, size.cy});
}

void CUIPaintManager::Invalidate(const TUIRect& rect) {
  if (!m_hWndPaint || rect.IsEmpty()) return;
  if (m_bLayered) {
    // Repainted by the next layered tick, in one go; the tick runs only while
    // something waits to be presented.
    m_layeredUpdate.Add(rect);
    return;
  }
  const platform::RECT rc = ToRect(rect);
  platform::InvalidateRect(m_hWndPaint, &rc, false);
}

void CUIPaintManager::Reposition(CControlUI* control) {
  // A floating control takes its rectangle relative to the parent and in
  // 96-DPI units: its parent places it again from the fixed position, size
  // and percentages, which is exact at every scale (its relative rectangle in
  // pixels would be scaled a second time).
  if (control->IsFloat() && control->GetParent()) {
    auto* box = static_cast<CContainerUI*>(control->GetParent()->GetInterface(u"Container"));
    if (box) {
      box->SetFloatPos(box->GetItemIndex(control));
      return;
    }
  }
  control->SetPos(control->GetPos());
}

bool CUIPaintManager::LayoutIfNeeded() {
  if (!m_bUpdateNeeded || !m_pRoot) return false;
  m_bUpdateNeeded = false;
  const TUISize size = GetClientSize();
  if (size.cx <= 0 || size.cy <= 0 || platform::IsIconic(m_hWndPaint)) return true;
  if (m_pRoot->IsUpdateNeeded()) {
    if (m_bLayered) m_layeredBackground = CUISurface();
    m_pRoot->SetPos({0, 0, size.cx, size.cy});
  } else {
    std::vector<CControlUI*> pending;
    m_pRoot->FindControl(CollectUpdateNeeded, &pending, kFindVisible | kFindMeFirst);
    for (CControlUI* control : pending) Reposition(control);
  }
  if (m_bFirstLayout) {
    m_bFirstLayout = false;
    SendNotify(m_pRoot, u"windowinit");
    if (m_bLayered && m_bLayeredChanged) Invalidate();
  }
  return true;
}

bool CUIPaintManager::CanPaint() const {
  const TUISize size = GetClientSize();
  return m_pRoot && !platform::IsIconic(m_hWndPaint) && size.cx > 0 && size.cy > 0;
}

void CUIPaintManager::OnPaint() {
  if (!CanPaint()) {
    platform::ValidateRect(m_hWndPaint, nullptr);
    m_layeredUpdate.Take();
    return;
  }
  LayoutIfNeeded();
  // After the layout, so that the tab order is known: before it the focus
  // would only be asked for again, and the repaint asked for with it would be
  // validated by this very paint.
  if (m_focus.IsAsked()) TakeNeededFocus();
  // What the layout invalidated belongs to this paint too.
  platform::PAINTSTRUCT ps;
  platform::BeginPaint(m_hWndPaint, &ps);
  PaintDirty(m_bLayered ? m_layeredUpdate.Take() : FromRect(ps.rcPaint));
  platform::EndPaint(m_hWndPaint, &ps);
  FinishPaint();
}

void CUIPaintManager::PaintHiddenLayered() {
  if (!CanPaint()) {
    m_layeredUpdate.Take();
    return;
  }
  LayoutIfNeeded();
  PaintDirty(m_layeredUpdate.Take());
  FinishPaint();
}

void CUIPaintManager::PaintDirty(const TUIRect& area) {
  const TUISize size = GetClientSize();
  const TUIRect client{0, 0, size.cx, size.cy};
  const TUIRect dirty = Intersect(area, client);
  if (!dirty.IsEmpty()) PaintAndPresent(client, dirty);
}

void CUIPaintManager::FinishPaint() {
  // A control that asked for a layout while painting gets it now.
  if (m_bUpdateNeeded) Invalidate();
  // A failed presentation lays out again at the next paint; asking for a
  // repaint now would spin while the window cannot be drawn to.
  if (std::exchange(m_bPresentFailed, false)) m_bUpdateNeeded = true;
}

void CUIPaintManager::PaintAndPresent(const TUIRect& client, const TUIRect& dirty) {
  PrepareSurfaces(client);
  // Without the memory for a frame of this size the frame is skipped rather
  // than the program ended.
  if (!IsSizeOf(m_offscreen, client) || (m_bLayered && !IsSizeOf(m_layeredBackground, client))) return;
  CUICanvas dc(m_offscreen);
  if (m_bLayered && !m_window.layeredImage.empty()) {
    for (int y = dirty.top; y < dirty.bottom; ++y) {
      std::copy(m_layeredBackground.Row(y) + dirty.left, m_layeredBackground.Row(y) + dirty.right,
                m_offscreen.Row(y) + dirty.left);
    }
  } else {
    dc.FillRect(dirty, 0);
  }
  PaintTree(dc, dirty);
  if (m_bLayered) {
    FixLayeredAlpha(m_offscreen, m_window.layeredImage.empty() ? nullptr : &m_layeredBackground, dirty,
                    m_window.opacity);
  }
  if (m_window.showUpdateRect && !m_bLayered) CUIRenderEngine::DrawRect(dc, dirty, 1, kShowDirtyColor);
  Present(dirty);
}

void CUIPaintManager::PrepareSurfaces(const TUIRect& client) {
  if (m_offscreen.GetWidth() != client.Width() || m_offscreen.GetHeight() != client.Height()) {
    m_offscreen = CUISurface(client.Width(), client.Height());
  }
  if (!m_bLayered) return;
  if (m_layeredBackground.GetWidth() != client.Width() ||
      m_layeredBackground.GetHeight() != client.Height()) {
    m_layeredBackground = CUISurface(client.Width(), client.Height());
    m_bLayeredChanged = true;
  }
  if (m_bLayeredChanged && !m_window.layeredImage.empty()) {
    m_layeredBackground.Clear();
    DrawLayeredBackground(m_layeredBackground, client);
  }
  m_bLayeredChanged = false;
}

void CUIPaintManager::DrawLayeredBackground(CUISurface& target, const TUIRect& client) {
  CUICanvas dc(target);
  CUIRenderEngine::DrawImageString(dc, this, client, client, m_window.layeredImage);
}

void CUIPaintManager::PaintTree(CUICanvas& dc, const TUIRect& dirty) {
  CClipGuard clip(dc, dirty);
  m_pRoot->DoPaint(dc, dirty);
  // By index: a post-paint control may leave the list while it paints.
  for (size_t i = 0; i < m_aPostPaintControls.size(); ++i) {
    m_aPostPaintControls[i]->DoPostPaint(dc, dirty);
  }
}

void CUIPaintManager::Present(const TUIRect& dirty) {
  bool presented;
  if (m_bLayered) {
    platform::RECT window;
    platform::GetWindowRect(m_hWndPaint, &window);
    const platform::POINT position{window.left, window.top};
    const platform::RECT changed = ToRect(dirty);
    presented = platform::UpdateLayeredWindow(m_hWndPaint, &position, ViewOf(m_offscreen), m_window.opacity,
                                              &changed);
  } else {
    presented = platform::PresentPixels(m_hWndPaint, ViewOf(m_offscreen), ToRect(dirty));
  }
  m_bPresentFailed = !presented;
}

void CUIPaintManager::PaintClientTo(CUICanvas& dc) {
  if (!m_pRoot) return;
  LayoutIfNeeded();
  const TUISize size = GetClientSize();
  const TUIRect area = Intersect({0, 0, size.cx, size.cy}, dc.GetClip());
  if (area.IsEmpty()) return;
  CUISurface& target = dc.GetSurface();
  CUISurface background;
  if (m_bLayered && !m_window.layeredImage.empty()) {
    background = CUISurface(size.cx, size.cy);
    DrawLayeredBackground(background, {0, 0, size.cx, size.cy});
    for (int y = area.top; y < area.bottom; ++y) {
      std::copy(background.Row(y) + area.left, background.Row(y) + area.right, target.Row(y) + area.left);
    }
  }
  PaintTree(dc, area);
  // The same pixels the layered window shows.
  if (m_bLayered) {
    FixLayeredAlpha(target, background.IsEmpty() ? nullptr : &background, area, m_window.opacity);
  }
}

}  // namespace SkinUI
