// How a control looks, as its skin attributes set it: background colours and
// image, border, and its tooltip. Sizes are in 96-DPI units; the control
// scales them when it draws.
#pragma once

#include <cstdint>
#include <string>

#include "skinui/render/ui_types.h"

namespace SkinUI {

struct TControlStyle {
  // Background: one colour, a gradient of two, or two gradients meeting in
  // the middle with the third; 0 means not set. The image is drawn over them.
  uint32_t bkColor = 0;
  uint32_t bkColor2 = 0;
  uint32_t bkColor3 = 0;
  std::u16string bkImage;
  // Border: the colour while focused replaces the plain one; side sizes above
  // 0 draw one line per side instead of the frame of borderSize.
  uint32_t borderColor = 0;
  uint32_t focusBorderColor = 0;
  int borderSize = 0;
  TUIRect sideBorderSize;
  int borderStyle = 0;
  TUISize borderRound;  // rounds and clips the corners
  // Colours shifted by the process-wide hue, saturation and lightness.
  bool colorHSL = false;
  // Tooltip: its text (line breaks already made) and widest extent.
  std::u16string toolTip;
  int toolTipWidth = 300;

  bool operator==(const TControlStyle&) const = default;
};

}  // namespace SkinUI
