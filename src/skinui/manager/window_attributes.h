// The settings a skin's Window element gives its window: size, caption and
// resize border, round corners, size limits and how it is presented. The
// skin builder fills them, the paint manager keeps them (and presents the
// window by them), the window shell reads them to answer hit tests and size
// requests.
#pragma once

#include <cstdint>
#include <string>

#include "skinui/render/ui_types.h"

namespace SkinUI {

struct TUIWindowAttributes {
  // Geometry, in 96-DPI units as the skin writes it; 0 means not set.
  TUISize initSize;
  TUISize minSize;  // the smallest size the user may drag the window to
  TUISize maxSize;  // the largest
  TUISize roundCorner;
  TUIRect sizeBox;  // the resize border inside each edge
  TUIRect caption;  // drags the window, in client coordinates
  // Presentation.
  uint8_t opacity = 255;
  bool layered = false;         // per-pixel alpha, when the window system has it
  std::u16string layeredImage;  // painted under the tree when layered
  bool showUpdateRect = false;  // outlines every painted rectangle

  // The geometry at scale percent, as the window shows it.
  TUIWindowAttributes ScaledBy(int scale) const;
};

}  // namespace SkinUI
