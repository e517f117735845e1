// Face lookup of the GDI text backend: turns a font request into the LOGFONT
// handed to CreateFontIndirectW.
#pragma once

#include <windows.h>

#include "platform/text_renderer.h"

namespace platform::win32 {

// True when a family of that name is installed (any character set).
bool IsFaceInstalled(const std::u16string& face);

// The LOGFONT of font: em height in pixels (negative lfHeight), weight,
// italic, underline and grey anti-aliasing. An installed face is asked for
// with the default character set; a missing one (such as "微软雅黑" on a
// system without it) with GB2312, so that the font mapper picks a face that
// covers Chinese.
LOGFONTW MakeLogFont(const TTextFontSpec& font);

}  // namespace platform::win32
