// The box layout that rows and columns share: the same two passes along
// either axis.
#pragma once

#include <vector>

#include "skinui/control/control.h"

namespace SkinUI {

enum class EBoxAxis { kHorizontal, kVertical };
// Where a child narrower than the box sits across the axis.
enum class EBoxAlign { kStart, kCenter, kEnd };

// Places the visible, non-floating items one after another along axis inside
// rc, gap apart: children with an estimated size keep it (within their
// limits), the others share what is left, the last of them taking the
// remainder. Across the axis a child spans rc less its padding unless its
// maximum is smaller, and sits as align says.
void LayOutBox(const std::vector<CControlUI*>& items, const TUIRect& rc, EBoxAxis axis, EBoxAlign align,
               int gap);

}  // namespace SkinUI
