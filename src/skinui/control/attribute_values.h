// Readers of skin attribute values (integers, flags, sizes, fractions).
// Rectangles and colours are read by ParseRectValue / ParseColorValue of the
// rendering rules.
#pragma once

#include <string_view>

#include "skinui/control/control.h"

namespace SkinUI {

// A decimal integer after optional blanks and sign; 0 when there is none.
// *end (optional) receives the position after the digits.
int ParseIntValue(std::u16string_view text, size_t* end = nullptr);
// True only for the exact text "true".
inline bool ParseBoolValue(std::u16string_view text) { return text == u"true"; }
// "cx,cy".
TUISize ParseSizeValue(std::u16string_view text);
// Four decimal fractions "l,t,r,b" (missing ones are 0).
TUIRectF ParseFractionsValue(std::u16string_view text);

}  // namespace SkinUI
