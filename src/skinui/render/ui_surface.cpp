#include "skinui/render/ui_surface.h"

#include <algorithm>
#include <new>

#include "skinui/render/blend.h"
#include "skinui/render/ui_shape.h"

namespace SkinUI {

CUISurface::CUISurface(int width, int height) : m_width(std::max(width, 0)), m_height(std::max(height, 0)) {
  if (m_width == 0 || m_height == 0) m_width = m_height = 0;
  try {
    m_pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
  } catch (const std::bad_alloc&) {
    m_width = m_height = 0;  // an empty surface: its user skips what it would draw
  }
}

uint32_t CUISurface::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  return Row(y)[x];
}

void CUISurface::SetPixel(int x, int y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  Row(y)[x] = pixel;
}

void CUISurface::Clear(uint32_t pixel) { std::fill(m_pixels.begin(), m_pixels.end(), pixel); }

TUIRect CUICanvas::SetClip(const TUIRect& clip) {
  TUIRect old = m_clip;
  m_clip = Intersect(clip, m_surface.GetBounds());
  return old;
}

void CUICanvas::FillRect(const TUIRect& rect, uint32_t pixel) {
  TUIRect r = Intersect(rect, m_clip);
  for (int y = r.top; y < r.bottom; ++y) FillRow(m_surface.Row(y) + r.left, pixel, r.Width());
}

void CUICanvas::BlendRect(const TUIRect& rect, uint32_t pixel) {
  TUIRect r = Intersect(rect, m_clip);
  for (int y = r.top; y < r.bottom; ++y) FillRowOver(m_surface.Row(y) + r.left, pixel, r.Width());
}

CRoundClipGuard::CRoundClipGuard(CUICanvas& canvas, const TUIRect& rect, int ellipseWidth, int ellipseHeight)
    : m_canvas(canvas),
      m_rect(rect),
      m_oldClip(canvas.SetClip(Intersect(canvas.GetClip(), rect))),
      m_rx(std::min(ellipseWidth / 2, rect.Width() / 2)),
      m_ry(std::min(ellipseHeight / 2, rect.Height() / 2)) {
  CUISurface& surface = m_canvas.GetSurface();
  ForCornerPixels([&](int x, int y) { m_saved.push_back(surface.Row(y)[x]); });
}

CRoundClipGuard::~CRoundClipGuard() {
  CUISurface& surface = m_canvas.GetSurface();
  size_t i = 0;
  ForCornerPixels([&](int x, int y) { surface.Row(y)[x] = m_saved[i++]; });
  m_canvas.SetClip(m_oldClip);
}

// Visits, in a fixed order, the pixels of the clip that lie in the corner
// boxes of the rectangle but outside its rounding.
template <class F>
void CRoundClipGuard::ForCornerPixels(F&& visit) const {
  if (m_rx <= 0 || m_ry <= 0) return;
  const TUIRect& r = m_rect;
  const TUIRect boxes[4] = {{r.left, r.top, r.left + m_rx, r.top + m_ry},
                            {r.right - m_rx, r.top, r.right, r.top + m_ry},
                            {r.left, r.bottom - m_ry, r.left + m_rx, r.bottom},
                            {r.right - m_rx, r.bottom - m_ry, r.right, r.bottom}};
  for (const TUIRect& box : boxes) {
    TUIRect area = Intersect(box, m_canvas.GetClip());
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (!InsideRoundRect(r, m_rx, m_ry, x, y)) visit(x, y);
      }
    }
  }
}

}  // namespace SkinUI
