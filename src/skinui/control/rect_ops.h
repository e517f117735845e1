// Rectangle arithmetic shared by controls and layouts.
#pragma once

#include "skinui/render/ui_types.h"

namespace SkinUI {

// rc shrunk by inset on each side.
inline TUIRect Deflate(const TUIRect& rc, const TUIRect& inset) {
  return {rc.left + inset.left, rc.top + inset.top, rc.right - inset.right, rc.bottom - inset.bottom};
}

}  // namespace SkinUI
