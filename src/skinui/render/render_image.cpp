#include <algorithm>
#include <cstdint>
#include <vector>

#include "skinui/render/blend.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

struct TBlitMode {
  bool blend;
  uint32_t fade;
};

// Source coordinate for destination offset i of a cell of length dst sampling
// a source of length src: the pixel under the destination pixel's centre.
// 64-bit: a cell from skin text may span the whole int range.
int SourceAt(int64_t i, int64_t dst, int64_t src) { return static_cast<int>((2 * i + 1) * src / (2 * dst)); }

int64_t Extent(int from, int to) { return int64_t{to} - from; }

// Draws source cell s of image scaled onto destination cell d, inside clip.
void BlitCell(CUICanvas& dc, const CUISurface& image, const TUIRect& d, const TUIRect& s, const TUIRect& clip,
              TBlitMode mode) {
  if (d.IsEmpty() || s.IsEmpty()) return;
  TUIRect area = Intersect(Intersect(d, clip), dc.GetClip());
  if (area.IsEmpty()) return;
  std::vector<int> columns(area.Width());
  for (int x = area.left; x < area.right; ++x) {
    columns[x - area.left] = s.left + SourceAt(Extent(d.left, x), Extent(d.left, d.right), s.Width());
  }
  bool straight = Extent(d.left, d.right) == s.Width();
  std::vector<uint32_t> row(straight ? 0 : area.Width());
  for (int y = area.top; y < area.bottom; ++y) {
    const uint32_t* src = image.Row(s.top + SourceAt(Extent(d.top, y), Extent(d.top, d.bottom), s.Height()));
    const uint32_t* from = src + columns[0];
    if (!straight) {
      for (size_t i = 0; i < row.size(); ++i) row[i] = src[columns[i]];
      from = row.data();
    }
    uint32_t* dst = dc.GetSurface().Row(y) + area.left;
    if (mode.blend)
      BlendRowOverAlpha(dst, from, area.Width(), mode.fade);
    else
      std::copy_n(from, area.Width(), dst);
  }
}

// Source cells come as (x, y, width, height) in the nine-grid rules.
TUIRect Cell(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

void DrawCentre(CUICanvas& dc, const CUISurface& image, const TUIRect& d, const TUIRect& s,
                const TUIRect& paint, const TDrawImageParams& p, TBlitMode mode) {
  if (!p.xtiled && !p.ytiled) {
    BlitCell(dc, image, d, s, paint, mode);
    return;
  }
  if (d.IsEmpty() || s.IsEmpty()) return;
  // Only the repetitions that show are drawn: a destination from skin text
  // may be far larger than the window, with millions of tiles outside it.
  const TUIRect shown = Intersect(Intersect(d, paint), dc.GetClip());
  if (shown.IsEmpty()) return;
  const int64_t tileW = p.xtiled ? s.Width() : Extent(d.left, d.right);
  const int64_t tileH = p.ytiled ? s.Height() : Extent(d.top, d.bottom);
  const int64_t firstX = d.left + Extent(d.left, shown.left) / tileW * tileW;
  const int64_t firstY = d.top + Extent(d.top, shown.top) / tileH * tileH;
  for (int64_t ty64 = firstY; ty64 < shown.bottom; ty64 += tileH) {
    for (int64_t tx64 = firstX; tx64 < shown.right; tx64 += tileW) {
      const int tx = static_cast<int>(tx64), ty = static_cast<int>(ty64);
      TUIRect cell{tx, ty, static_cast<int>(std::min<int64_t>(tx64 + tileW, d.right)),
                   static_cast<int>(std::min<int64_t>(ty64 + tileH, d.bottom))};
      TUIRect src = s;
      // The last repetition is clipped, not squeezed.
      if (p.xtiled) src.right = s.left + static_cast<int>(Extent(cell.left, cell.right));
      if (p.ytiled) src.bottom = s.top + static_cast<int>(Extent(cell.top, cell.bottom));
      BlitCell(dc, image, cell, src, paint, mode);
    }
  }
}

}  // namespace

void CUIRenderEngine::DrawImage(CUICanvas& dc, const CUISurface& image, const TUIRect& paint,
                                const TDrawImageParams& p, bool alphaChannel) {
  TUIRect s = Intersect(p.source, image.GetBounds());
  const TUIRect& d = p.dest;
  if (s.IsEmpty() || d.IsEmpty()) return;
  TBlitMode mode{alphaChannel || p.fade < 255, p.fade};
  // Corners come from skin text: kept inside the source, so that no cell
  // reaches past the image (a corner wider than the source takes all of it).
  int sw = s.Width(), sh = s.Height();
  int cl = std::clamp(p.corners.left, 0, sw), ct = std::clamp(p.corners.top, 0, sh);
  int cr = std::clamp(p.corners.right, 0, sw - cl), cb = std::clamp(p.corners.bottom, 0, sh - ct);
  bool noCorners = cl == 0 && ct == 0 && cr == 0 && cb == 0;
  if (!mode.blend && noCorners && Extent(d.left, d.right) == sw && Extent(d.top, d.bottom) == sh) {
    BlitCell(dc, image, d, s, paint, mode);
    return;
  }
  if (!p.hole) {
    DrawCentre(dc, image, {d.left + cl, d.top + ct, d.right - cr, d.bottom - cb},
               {s.left + cl, s.top + ct, s.right - cr, s.bottom - cb}, paint, p, mode);
  }
  auto cell = [&](const TUIRect& dest, const TUIRect& src) { BlitCell(dc, image, dest, src, paint, mode); };
  if (cl > 0 && ct > 0) cell({d.left, d.top, d.left + cl, d.top + ct}, Cell(s.left, s.top, cl, ct));
  if (ct > 0)
    cell({d.left + cl, d.top, d.right - cr, d.top + ct}, Cell(s.left + cl, s.top, sw - cl - cr, ct));
  if (cr > 0 && ct > 0) cell({d.right - cr, d.top, d.right, d.top + ct}, Cell(s.right - cr, s.top, cr, ct));
  if (cl > 0)
    cell({d.left, d.top + ct, d.left + cl, d.bottom - cb}, Cell(s.left, s.top + ct, cl, sh - ct - cb));
  if (cr > 0)
    cell({d.right - cr, d.top + ct, d.right, d.bottom - cb},
         Cell(s.right - cr, s.top + ct, cr, sh - ct - cb));
  if (cl > 0 && cb > 0)
    cell({d.left, d.bottom - cb, d.left + cl, d.bottom}, Cell(s.left, s.bottom - cb, cl, cb));
  if (cb > 0)
    cell({d.left + cl, d.bottom - cb, d.right - cr, d.bottom},
         Cell(s.left + cl, s.bottom - cb, sw - cl - cr, cb));
  if (cr > 0 && cb > 0)
    cell({d.right - cr, d.bottom - cb, d.right, d.bottom}, Cell(s.right - cr, s.bottom - cb, cr, cb));
}

}  // namespace SkinUI
