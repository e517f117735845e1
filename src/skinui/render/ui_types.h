// Small value types of the framework: rectangles (half-open: left and top
// inside, right and bottom outside), points and sizes.
#pragma once

#include <algorithm>
#include <cstdint>

namespace SkinUI {

struct TUIPoint {
  int x = 0;
  int y = 0;
};

struct TUISize {
  int cx = 0;
  int cy = 0;
  bool operator==(const TUISize&) const = default;
};

struct TUIRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(TUIPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  bool operator==(const TUIRect&) const = default;
};

// The common part of a and b; empty (all zero) when they do not meet.
inline TUIRect Intersect(const TUIRect& a, const TUIRect& b) {
  TUIRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? TUIRect{} : r;
}

// The smallest rectangle holding a and b; an empty one adds nothing.
inline TUIRect Union(const TUIRect& a, const TUIRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

// True when a and b share at least one pixel.
inline bool Meets(const TUIRect& a, const TUIRect& b) { return !Intersect(a, b).IsEmpty(); }

// Colours are ARGB values; pixels are premultiplied ARGB values, which sit in
// memory as B, G, R, A bytes.
inline uint8_t AlphaOf(uint32_t argb) { return static_cast<uint8_t>(argb >> 24); }
inline uint8_t RedOf(uint32_t argb) { return static_cast<uint8_t>(argb >> 16); }
inline uint8_t GreenOf(uint32_t argb) { return static_cast<uint8_t>(argb >> 8); }
inline uint8_t BlueOf(uint32_t argb) { return static_cast<uint8_t>(argb); }
inline uint32_t MakeArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace SkinUI
