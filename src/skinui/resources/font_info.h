// A font's description: the font the text renderer opened and what it was
// asked for, as the paint manager keeps it in its font table.
#pragma once

#include <memory>
#include <string_view>

#include "skinui/render/render_host.h"

namespace SkinUI {

// Opens the face at size (96-DPI units) scaled by dpiScale percent and
// records what it was asked for; null when the text renderer has no font.
std::unique_ptr<TUIFontInfo> CreateFontInfo(std::u16string_view face, int size, bool bold, bool underline,
                                            bool italic, int dpiScale = 100);
// Records an opened font with what it was asked for (size in 96-DPI units,
// made at dpiScale percent) and its metrics; null when font is null.
std::unique_ptr<TUIFontInfo> MakeFontInfo(std::shared_ptr<platform::ITextFont> font, std::u16string_view face,
                                          int size, bool bold, bool underline, bool italic, int dpiScale);

}  // namespace SkinUI
