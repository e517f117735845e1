// Small arithmetic shared by the layouts.
#pragma once

#include "skinui/control/control.h"

namespace SkinUI {

// value raised to low, then lowered to high (high wins when they cross).
inline int ClampSize(int value, int low, int high) {
  if (value < low) value = low;
  if (value > high) value = high;
  return value;
}

// rc shrunk by inset on each side.
inline TUIRect Deflate(const TUIRect& rc, const TUIRect& inset) {
  return {rc.left + inset.left, rc.top + inset.top, rc.right - inset.right, rc.bottom - inset.bottom};
}

// What a layout reads of a child before estimating it (scaled).
struct TChildLimits {
  TUIRect padding;
  int fixedWidth;   // fixed, or the maximum when not fixed
  int fixedHeight;  // likewise
};

inline TChildLimits LimitsOf(const CControlUI& c) {
  int fw = c.GetFixedWidth(), fh = c.GetFixedHeight();
  return {c.GetPadding(), fw < 1 ? c.GetMaxWidth() : fw, fh < 1 ? c.GetMaxHeight() : fh};
}

}  // namespace SkinUI
