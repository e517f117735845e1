#include "skinui/render/window_scale.h"

#include <algorithm>

#include "skinui/render/render_host.h"

namespace SkinUI {
namespace {

bool FitsAt(int scale, TUISize size96, TUISize area) {
  return ScaleByDpi(size96.cx, scale) <= area.cx && ScaleByDpi(size96.cy, scale) <= area.cy;
}

}  // namespace

int ClampScale(int scale) { return std::clamp(scale, kMinScale, kMaxScale); }

int ScaleOfDpi(int dpi) {
  const platform::UINT sane = platform::SaneDpi(dpi > 0 ? static_cast<platform::UINT>(dpi) : 0);
  return static_cast<int>((sane * 100 + 48) / 96);
}

int FittingScale(int scale, TUISize size96, TUISize area) {
  scale = ClampScale(scale);
  if (area.cx <= 0 || area.cy <= 0 || FitsAt(scale, size96, area)) return scale;
  for (int step = (scale - 1) / kScaleStep * kScaleStep; step > kMinScale; step -= kScaleStep) {
    if (FitsAt(step, size96, area)) return step;
  }
  return kMinScale;
}

TUISize WorkAreaSize(platform::HMONITOR monitor) {
  platform::MONITORINFO info;
  if (!platform::GetMonitorInfo(monitor, &info)) return {};
  return {info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top};
}

}  // namespace SkinUI
