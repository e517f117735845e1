#include "skinui/manager/window_attributes.h"

#include "skinui/control/ui_scale.h"

namespace SkinUI {
namespace {

TUISize ScaledSize(TUISize size, int scale) { return {ScaleSize(size.cx, scale), ScaleSize(size.cy, scale)}; }

TUIRect ScaledRect(const TUIRect& rc, int scale) {
  return {ScaleSize(rc.left, scale), ScaleSize(rc.top, scale), ScaleSize(rc.right, scale),
          ScaleSize(rc.bottom, scale)};
}

}  // namespace

TUIWindowAttributes TUIWindowAttributes::ScaledBy(int scale) const {
  TUIWindowAttributes scaled = *this;
  scaled.initSize = ScaledSize(initSize, scale);
  scaled.minSize = ScaledSize(minSize, scale);
  scaled.maxSize = ScaledSize(maxSize, scale);
  scaled.roundCorner = ScaledSize(roundCorner, scale);
  scaled.sizeBox = ScaledRect(sizeBox, scale);
  scaled.caption = ScaledRect(caption, scale);
  return scaled;
}

}  // namespace SkinUI
