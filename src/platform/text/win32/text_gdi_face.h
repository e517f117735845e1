// Face lookup of the GDI text backend: turns a font request into the LOGFONT
// handed to CreateFontIndirectW.
#pragma once

#include <windows.h>

#include "platform/text/text_renderer.h"

namespace platform::win32 {

// True when a family of that name is installed (any character set).
bool IsFaceInstalled(const std::u16string& face);

// The face that stands in for a missing one: the first installed family with
// Chinese glyphs (GB2312) that also has every Latin letter, digit and
// Chinese character of the program's texts; empty when none has.
const std::u16string& CoveringFace();

// The LOGFONT of font: em height in pixels (negative lfHeight), weight,
// italic, underline and grey anti-aliasing. An installed face is asked for
// by name; a missing one (such as "微软雅黑" on a system without it) is
// replaced by CoveringFace(), or when there is none asked for with GB2312, so
// that the font mapper picks a face that covers Chinese.
LOGFONTW MakeLogFont(const TTextFontSpec& font);

}  // namespace platform::win32
