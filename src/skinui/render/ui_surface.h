// A 32-bit premultiplied BGRA pixel surface, top-down, and the drawing target
// ("device context") that clips to it.
#pragma once

#include <cstdint>
#include <vector>

#include "skinui/render/ui_types.h"

namespace SkinUI {

class CUISurface {
 public:
  CUISurface() = default;
  // A surface of width x height pixels, all transparent. Negative sizes give
  // an empty surface, and so does a size there is no memory for.
  CUISurface(int width, int height);

  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  bool IsEmpty() const { return m_width <= 0 || m_height <= 0; }
  uint32_t* Row(int y) { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
  const uint32_t* Row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
  // The pixel at (x, y); 0 outside the surface.
  uint32_t GetPixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t pixel);
  void Clear(uint32_t pixel = 0);
  TUIRect GetBounds() const { return {0, 0, m_width, m_height}; }

 private:
  int m_width = 0;
  int m_height = 0;
  std::vector<uint32_t> m_pixels;
};

// Drawing target over one surface with a clip rectangle. Every drawing
// routine writes only inside GetClip().
class CUICanvas {
 public:
  explicit CUICanvas(CUISurface& surface) : m_surface(surface), m_clip(surface.GetBounds()) {}

  CUISurface& GetSurface() { return m_surface; }
  const TUIRect& GetClip() const { return m_clip; }
  // Sets the clip (limited to the surface) and returns the previous one.
  TUIRect SetClip(const TUIRect& clip);
  // The platform offers a two-vertex gradient fill; without it gradients are
  // drawn in bands.
  bool HasGradientFill() const { return m_bGradientFill; }
  void SetGradientFill(bool available) { m_bGradientFill = available; }

  // Replaces the pixels of rect (clipped) with pixel.
  void FillRect(const TUIRect& rect, uint32_t pixel);
  // Blends pixel over rect (clipped).
  void BlendRect(const TUIRect& rect, uint32_t pixel);

 private:
  CUISurface& m_surface;
  TUIRect m_clip;
  bool m_bGradientFill = true;
};

// Restores a canvas clip when it leaves scope.
class CClipGuard {
 public:
  CClipGuard(CUICanvas& canvas, const TUIRect& clip)
      : m_canvas(canvas), m_old(canvas.SetClip(Intersect(canvas.GetClip(), clip))) {}
  ~CClipGuard() { m_canvas.SetClip(m_old); }
  CClipGuard(const CClipGuard&) = delete;
  CClipGuard& operator=(const CClipGuard&) = delete;

 private:
  CUICanvas& m_canvas;
  TUIRect m_old;
};

// Clips drawing to rect with corners rounded by an ellipse of the given size
// while it lives: the rectangle limits the canvas clip, and the corner pixels
// outside the rounding are put back as they were when it ends.
class CRoundClipGuard {
 public:
  CRoundClipGuard(CUICanvas& canvas, const TUIRect& rect, int ellipseWidth, int ellipseHeight);
  ~CRoundClipGuard();
  CRoundClipGuard(const CRoundClipGuard&) = delete;
  CRoundClipGuard& operator=(const CRoundClipGuard&) = delete;

 private:
  template <class F>
  void ForCornerPixels(F&& visit) const;

  CUICanvas& m_canvas;
  TUIRect m_rect;
  TUIRect m_oldClip;
  int m_rx;
  int m_ry;
  std::vector<uint32_t> m_saved;
};

}  // namespace SkinUI
