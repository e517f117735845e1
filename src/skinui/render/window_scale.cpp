#include "skinui/render/window_scale.h"

#include <algorithm>

#include "skinui/render/render_host.h"

namespace SkinUI {
namespace {

bool FitsAt(int scale, TUISize size96, TUISize area) {
  return ScaleByDpi(size96.cx, scale) <= area.cx && ScaleByDpi(size96.cy, scale) <= area.cy;
}

}  // namespace

int ScaleOfDpi(int dpi) { return (dpi * 100 + 48) / 96; }

int FittingScale(int scale, TUISize size96, TUISize area) {
  if (area.cx <= 0 || area.cy <= 0 || FitsAt(scale, size96, area)) return scale;
  for (int step = (scale - 1) / kScaleStep * kScaleStep; step > 100; step -= kScaleStep) {
    if (FitsAt(step, size96, area)) return step;
  }
  return std::min(scale, 100);
}

TUISize WorkAreaSize(platform::HMONITOR monitor) {
  platform::MONITORINFO info;
  if (!platform::GetMonitorInfo(monitor, &info)) return {};
  return {info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top};
}

}  // namespace SkinUI
