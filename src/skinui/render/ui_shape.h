// Pixel membership of rounded rectangles (aliased, like a window region).
#pragma once

#include "skinui/render/ui_types.h"

namespace SkinUI {

// True when the centre of pixel (x, y) lies inside r with corners rounded by
// ellipses of radii rx and ry (0: square corners; at most half the size).
bool InsideRoundRect(const TUIRect& r, int rx, int ry, int x, int y);

}  // namespace SkinUI
