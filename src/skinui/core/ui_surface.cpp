#include "skinui/core/ui_surface.h"

#include <algorithm>

#include "skinui/core/blend.h"

namespace SkinUI {

CUISurface::CUISurface(int width, int height)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)) {
  if (m_width == 0 || m_height == 0) m_width = m_height = 0;
  m_pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
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
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(m_surface.Row(y) + r.left, r.Width(), pixel);
}

void CUICanvas::BlendRect(const TUIRect& rect, uint32_t pixel) {
  TUIRect r = Intersect(rect, m_clip);
  for (int y = r.top; y < r.bottom; ++y) FillRowOver(m_surface.Row(y) + r.left, pixel, r.Width());
}

}  // namespace SkinUI
