#include <algorithm>
#include <cstdlib>

#include "skinui/render/blend.h"
#include "skinui/render/render_engine.h"
#include "skinui/render/ui_shape.h"

namespace SkinUI {
namespace {

uint32_t OpaqueRgb(uint32_t color) { return 0xFF000000u | (color & 0x00FFFFFF); }

// Channel-wise a + (b - a) * num / den.
uint32_t Mix(uint32_t a, uint32_t b, int num, int den) {
  if (den <= 0) return a;
  auto lerp = [&](int shift) {
    int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    return static_cast<uint32_t>(ca + (cb - ca) * num / den) << shift;
  };
  return 0xFF000000u | lerp(16) | lerp(8) | lerp(0);
}

// Fills the slice [from, to) of rect across the gradient axis.
void FillSlice(CUICanvas& dc, const TUIRect& rect, bool vertical, int from, int to, uint32_t pixel) {
  TUIRect slice = rect;
  if (vertical) {
    slice.top = rect.top + from;
    slice.bottom = rect.top + to;
  } else {
    slice.left = rect.left + from;
    slice.right = rect.left + to;
  }
  dc.BlendRect(slice, pixel);
}

int BandShift(int steps) {
  if (steps < 4) return 1;
  if (steps < 8) return 2;
  if (steps < 16) return 3;
  if (steps < 32) return 4;
  if (steps < 64) return 5;
  return 6;
}

bool PenDrawsAt(int style, int step) {
  static const int kDash[] = {18, 6};
  static const int kDot[] = {3, 3};
  static const int kDashDot[] = {9, 6, 3, 6};
  static const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  const int* pattern = nullptr;
  int count = 0;
  switch (style) {
    case kPenDash:
      pattern = kDash;
      count = 2;
      break;
    case kPenDot:
      pattern = kDot;
      count = 2;
      break;
    case kPenDashDot:
      pattern = kDashDot;
      count = 4;
      break;
    case kPenDashDotDot:
      pattern = kDashDotDot;
      count = 6;
      break;
    default:
      return true;
  }
  int period = 0;
  for (int i = 0; i < count; ++i) period += pattern[i];
  int at = step % period;
  for (int i = 0; i < count; ++i) {
    if (at < pattern[i]) return i % 2 == 0;
    at -= pattern[i];
  }
  return true;
}

}  // namespace

void CUIRenderEngine::DrawColor(CUICanvas& dc, const TUIRect& rect, uint32_t color) {
  uint32_t alpha = AlphaOf(color);
  if (alpha == 0) return;
  if (alpha == 255)
    dc.FillRect(rect, color);
  else
    dc.BlendRect(rect, Premultiply(color));
}

void CUIRenderEngine::DrawGradient(CUICanvas& dc, const TUIRect& rect, uint32_t color1, uint32_t color2,
                                   bool vertical, int steps) {
  uint32_t alpha = (AlphaOf(color1) + AlphaOf(color2)) / 2;
  if (alpha == 0 || rect.IsEmpty()) return;
  int length = vertical ? rect.Height() : rect.Width();
  auto pixelOf = [&](uint32_t rgb) { return ScalePixel(rgb, alpha) | (alpha << 24); };
  if (dc.HasGradientFill()) {
    for (int i = 0; i < length; ++i) {
      FillSlice(dc, rect, vertical, i, i + 1, pixelOf(Mix(color1, color2, i, length)));
    }
    return;
  }
  int bands = 1 << BandShift(steps);
  for (int k = 0; k < bands; ++k) {
    int from = length * k / bands, to = length * (k + 1) / bands;
    FillSlice(dc, rect, vertical, from, to, pixelOf(Mix(color1, color2, k, bands - 1)));
  }
}

void CUIRenderEngine::DrawLine(CUICanvas& dc, const TUIRect& rect, int width, uint32_t color, int style) {
  if (width < 1) width = 1;
  // Wider pens are drawn solid, as geometric pens ignore cosmetic styles.
  if (width > 1) style = kPenSolid;
  uint32_t pixel = OpaqueRgb(color);
  int x0 = rect.left, y0 = rect.top, x1 = rect.right, y1 = rect.bottom;
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy, half = width / 2;
  for (int step = 0; x0 != x1 || y0 != y1; ++step) {
    if (PenDrawsAt(style, step))
      dc.FillRect({x0 - half, y0 - half, x0 - half + width, y0 - half + width}, pixel);
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void CUIRenderEngine::DrawRect(CUICanvas& dc, const TUIRect& rect, int width, uint32_t color) {
  if (width < 1 || rect.IsEmpty()) return;
  uint32_t pixel = OpaqueRgb(color);
  const TUIRect& r = rect;
  dc.FillRect({r.left, r.top, r.right, std::min(r.bottom, r.top + width)}, pixel);
  dc.FillRect({r.left, std::max(r.top, r.bottom - width), r.right, r.bottom}, pixel);
  dc.FillRect({r.left, r.top, std::min(r.right, r.left + width), r.bottom}, pixel);
  dc.FillRect({std::max(r.left, r.right - width), r.top, r.right, r.bottom}, pixel);
}

void CUIRenderEngine::DrawRoundRect(CUICanvas& dc, const TUIRect& rect, int width, int ellipseWidth,
                                    int ellipseHeight, uint32_t color) {
  if (width < 1 || rect.IsEmpty()) return;
  uint32_t pixel = OpaqueRgb(color);
  int rx = std::min(ellipseWidth / 2, rect.Width() / 2);
  int ry = std::min(ellipseHeight / 2, rect.Height() / 2);
  TUIRect inner{rect.left + width, rect.top + width, rect.right - width, rect.bottom - width};
  TUIRect area = Intersect(rect, dc.GetClip());
  // Rows clear of the roundings and of the top and bottom edges hold only
  // the two sides of the frame; the shape is tested pixel by pixel in the
  // others alone.
  const int plainTop = rect.top + std::max(ry, width), plainBottom = rect.bottom - std::max(ry, width);
  for (int y = area.top; y < area.bottom; ++y) {
    uint32_t* row = dc.GetSurface().Row(y);
    if (y >= plainTop && y < plainBottom) {
      std::fill(row + area.left, row + std::max(area.left, std::min(area.right, rect.left + width)), pixel);
      std::fill(row + std::min(area.right, std::max(area.left, rect.right - width)), row + area.right, pixel);
      continue;
    }
    for (int x = area.left; x < area.right; ++x) {
      if (InsideRoundRect(rect, rx, ry, x, y) && !InsideRoundRect(inner, rx - width, ry - width, x, y)) {
        row[x] = pixel;
      }
    }
  }
}

}  // namespace SkinUI
