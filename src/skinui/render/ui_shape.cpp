#include "skinui/render/ui_shape.h"

#include <algorithm>

namespace SkinUI {

bool InsideRoundRect(const TUIRect& r, int rx, int ry, int x, int y) {
  if (r.IsEmpty() || x < r.left || x >= r.right || y < r.top || y >= r.bottom) return false;
  if (rx <= 0 || ry <= 0) return true;
  // Radii beyond half the size would leave the centre ranges below empty.
  rx = std::min(rx, r.Width() / 2);
  ry = std::min(ry, r.Height() / 2);
  // Doubled coordinates keep pixel centres in integers.
  long long px = 2LL * x + 1, py = 2LL * y + 1;
  long long cx = std::clamp(px, 2LL * (r.left + rx), 2LL * (r.right - rx));
  long long cy = std::clamp(py, 2LL * (r.top + ry), 2LL * (r.bottom - ry));
  long long dx = px - cx, dy = py - cy;
  return dx * dx * ry * ry + dy * dy * rx * rx <= 4LL * rx * rx * ry * ry;
}

}  // namespace SkinUI
