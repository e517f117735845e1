// Choosing the DPI scale of a skinned window: the monitor's scale, unless the
// window would not fit the monitor's work area at it. Sizes of the skin stay
// in 96-DPI units; only the scale they are drawn at changes.
#pragma once

#include "platform/window_system.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

// The steps (percent) a scale falls back by when a window does not fit.
inline constexpr int kScaleStep = 25;

// The scale in percent of a DPI: dpi x 100 / 96, rounded.
int ScaleOfDpi(int dpi);

// scale when a window of size96 (96-DPI units) drawn at it fits into area;
// otherwise the largest multiple of kScaleStep below scale at which it fits,
// and 100 (or scale, when smaller) when none does: a skin is never drawn
// below its own size to make it fit. An empty area (no monitor) fits all.
int FittingScale(int scale, TUISize size96, TUISize area);

// The size of the work area of monitor; empty when the monitor is unknown.
TUISize WorkAreaSize(platform::HMONITOR monitor);

}  // namespace SkinUI
