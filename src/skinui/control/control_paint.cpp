// Painting of the base control: background colour and image, border, focus
// indicator.
#include <optional>

#include "skinui/control/control.h"
#include "skinui/control/rect_ops.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

// The focus indicator's distance from the item's edge and its line width,
// in 96-DPI units.
constexpr int kFocusIndicatorInset = 2;
constexpr int kFocusIndicatorWidth = 2;

}  // namespace

void CControlUI::DoPaint(CUICanvas& dc, const TUIRect& paint) {
  m_rcPaint = Intersect(paint, m_rcItem);
  if (m_rcPaint.IsEmpty()) return;
  std::optional<CRoundClipGuard> round;
  TUISize r = GetBorderRound();
  if (r.cx != 0 || r.cy != 0) round.emplace(dc, m_rcItem, r.cx, r.cy);
  PaintBkColor(dc);
  PaintBkImage(dc);
  PaintStatusImage(dc);
  PaintText(dc);
  PaintBorder(dc);
  PaintFocusIndicator(dc);
}

void CControlUI::PaintBkColor(CUICanvas& dc) {
  if (m_style.bkColor == 0) return;
  uint32_t c1 = GetAdjustColor(m_style.bkColor);
  if (m_style.bkColor2 == 0) {
    // A translucent colour fills the whole item so that partial repaints do
    // not blend twice over the same pixels with different coverage.
    CUIRenderEngine::DrawColor(dc, AlphaOf(c1) == 0xFF ? m_rcPaint : m_rcItem, c1);
    return;
  }
  uint32_t c2 = GetAdjustColor(m_style.bkColor2);
  if (m_style.bkColor3 == 0) {
    CUIRenderEngine::DrawGradient(dc, m_rcItem, c1, c2, true, 16);
    return;
  }
  int middle = (m_rcItem.top + m_rcItem.bottom) / 2;
  TUIRect upper = m_rcItem, lower = m_rcItem;
  upper.bottom = middle;
  lower.top = middle;
  CUIRenderEngine::DrawGradient(dc, upper, c1, c2, true, 8);
  CUIRenderEngine::DrawGradient(dc, lower, c2, GetAdjustColor(m_style.bkColor3), true, 8);
}

void CControlUI::PaintBkImage(CUICanvas& dc) {
  if (m_style.bkImage.empty()) return;
  if (!DrawImage(dc, m_style.bkImage)) m_style.bkImage.clear();
}

namespace {

// One line of width w along each side whose size is above 0, inside rc.
void PaintSideLines(CUICanvas& dc, const TUIRect& rc, const TUIRect& w, uint32_t color, int style) {
  // The pen is centred on the line: offset by half its width to stay inside.
  if (w.left > 0) {
    int x = rc.left + w.left / 2;
    CUIRenderEngine::DrawLine(dc, {x, rc.top, x, rc.bottom}, w.left, color, style);
  }
  if (w.top > 0) {
    int y = rc.top + w.top / 2;
    CUIRenderEngine::DrawLine(dc, {rc.left, y, rc.right, y}, w.top, color, style);
  }
  if (w.right > 0) {
    int x = rc.right - w.right + w.right / 2;
    CUIRenderEngine::DrawLine(dc, {x, rc.top, x, rc.bottom}, w.right, color, style);
  }
  if (w.bottom > 0) {
    int y = rc.bottom - w.bottom + w.bottom / 2;
    CUIRenderEngine::DrawLine(dc, {rc.left, y, rc.right, y}, w.bottom, color, style);
  }
}

}  // namespace

void CControlUI::PaintBorder(CUICanvas& dc) {
  if (m_style.borderColor == 0 && m_style.focusBorderColor == 0) return;
  int size = GetBorderSize();
  TUISize round = GetBorderRound();
  bool focusColor = m_bFocused && m_style.focusBorderColor != 0;
  if (size > 0 && (round.cx != 0 || round.cy != 0)) {
    uint32_t color = focusColor ? m_style.focusBorderColor : m_style.borderColor;
    CUIRenderEngine::DrawRoundRect(dc, m_rcItem, size, round.cx, round.cy, GetAdjustColor(color));
    return;
  }
  if (focusColor && size > 0) {
    CUIRenderEngine::DrawRect(dc, m_rcItem, size, GetAdjustColor(m_style.focusBorderColor));
    return;
  }
  const TUIRect& given = m_style.sideBorderSize;
  TUIRect sides{Scale(given.left), Scale(given.top), Scale(given.right), Scale(given.bottom)};
  if (sides.left > 0 || sides.top > 0 || sides.right > 0 || sides.bottom > 0) {
    PaintSideLines(dc, m_rcItem, sides, GetAdjustColor(m_style.borderColor), m_style.borderStyle);
  } else if (size > 0) {
    CUIRenderEngine::DrawRect(dc, m_rcItem, size, GetAdjustColor(m_style.borderColor));
  }
}

void CControlUI::PaintFocusIndicator(CUICanvas& dc) {
  if (!m_bFocused || !m_pManager || !(GetControlFlags() & kControlFlagTabStop)) return;
  // Inside the item, where its own invalidation repaints it; thick enough to
  // be seen on any art (two pixels at 96 DPI).
  const int inset = Scale(kFocusIndicatorInset), width = Scale(kFocusIndicatorWidth);
  const TUIRect ring = Deflate(m_rcItem, {inset, inset, inset, inset});
  if (ring.Width() <= 2 * width || ring.Height() <= 2 * width) return;
  const uint32_t color = GetAdjustColor(m_pManager->Resources().Colors().focusIndicator);
  CUIRenderEngine::DrawRect(dc, ring, width, color);
}

bool CControlUI::DrawImage(CUICanvas& dc, std::u16string_view descriptor, std::u16string_view modify) {
  return CUIRenderEngine::DrawImageString(dc, GetHost(), m_rcItem, m_rcPaint, descriptor, modify);
}

void CControlUI::SetBorderSize(int size) {
  if (size >= 0) SetAndInvalidate(m_style.borderSize, size);
}

TUISize CControlUI::GetBorderRound() const {
  return {Scale(m_style.borderRound.cx), Scale(m_style.borderRound.cy)};
}

}  // namespace SkinUI
