// A decoded skin image: premultiplied pixels and what the cache keeps with it.
#pragma once

#include <cstdint>
#include <string>

#include "skinui/render/ui_surface.h"

namespace SkinUI {

struct TUIImageInfo {
  CUISurface bitmap;          // top-down, premultiplied BGRA
  int nX = 0;                 // width
  int nY = 0;                 // height
  bool alphaChannel = false;  // some pixel is translucent or masked
  std::u16string sResType;
  uint32_t dwMask = 0;
};

}  // namespace SkinUI
