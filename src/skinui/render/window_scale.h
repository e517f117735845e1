// Choosing the DPI scale of a skinned window: the monitor's scale, unless the
// window would not fit the monitor's work area at it. Sizes of the skin stay
// in 96-DPI units; only the scale they are drawn at changes.
#pragma once

#include "platform/window/window_system.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

// The steps (percent) a scale falls back by when a window does not fit.
inline constexpr int kScaleStep = 25;
// The scales a window is ever drawn at: those of platform::kMinDpi and
// platform::kMaxDpi. Below half size a skin is no longer legible.
inline constexpr int kMinScale = 50, kMaxScale = 1000;

// scale kept within kMinScale..kMaxScale.
int ClampScale(int scale);

// The scale in percent of a DPI: dpi x 100 / 96, rounded; a DPI outside the
// sane range (platform::SaneDpi) is 96's, 100.
int ScaleOfDpi(int dpi);

// scale when a window of size96 (96-DPI units) drawn at it fits into area;
// otherwise the largest multiple of kScaleStep below scale at which it fits,
// and kMinScale when none does, so that a screen smaller than the skin shows
// all of it, or the most of it there can be. An empty area (no monitor) fits
// all. scale is clamped first (ClampScale).
int FittingScale(int scale, TUISize size96, TUISize area);

// The size of the work area of monitor; empty when the monitor is unknown.
TUISize WorkAreaSize(platform::HMONITOR monitor);

}  // namespace SkinUI
