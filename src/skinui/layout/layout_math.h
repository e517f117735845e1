// Small arithmetic shared by the layouts.
#pragma once

#include "skinui/control/control.h"
#include "skinui/control/rect_ops.h"

namespace SkinUI {

// value raised to low, then lowered to high (high wins when they cross).
inline int ClampSize(int value, int low, int high) {
  if (value < low) value = low;
  if (value > high) value = high;
  return value;
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
