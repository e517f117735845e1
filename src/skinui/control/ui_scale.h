// DPI scaling of sizes kept in 96-DPI units.
#pragma once

#include <algorithm>

#include "skinui/control/control.h"

namespace SkinUI {

// S(v) = v x scale / 100, halves away from zero, saturated at kUIMaxSize in
// both directions: the default maximum keeps meaning no limit at 200 % and
// above instead of leaving the 32-bit range.
inline int ScaleSize(int value, int scale) {
  if (value >= kUIMaxSize) return kUIMaxSize;
  long long t = static_cast<long long>(value) * scale;
  long long r = t >= 0 ? (t + 50) / 100 : -((-t + 50) / 100);
  return static_cast<int>(std::clamp<long long>(r, -kUIMaxSize, kUIMaxSize));
}

// U(v) = v x 100 / scale, rounded: device pixels back to 96-DPI units.
inline int UnscaleSize(int value, int scale) {
  if (scale <= 0) return value;
  long long t = static_cast<long long>(value) * 100;
  long long r = t >= 0 ? (t + scale / 2) / scale : -((-t + scale / 2) / scale);
  return static_cast<int>(std::clamp<long long>(r, -kUIMaxSize, kUIMaxSize));
}

}  // namespace SkinUI
