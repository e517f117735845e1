#include "skinui/resources/font_info.h"

#include <utility>

namespace SkinUI {

std::unique_ptr<TUIFontInfo> CreateFontInfo(std::u16string_view face, int size, bool bold, bool underline,
                                            bool italic, int dpiScale) {
  return MakeFontInfo(
      platform::CreateTextFont({std::u16string(face), ScaleByDpi(size, dpiScale), bold, italic, underline}),
      face, size, bold, underline, italic, dpiScale);
}

std::unique_ptr<TUIFontInfo> MakeFontInfo(std::shared_ptr<platform::ITextFont> font, std::u16string_view face,
                                          int size, bool bold, bool underline, bool italic, int dpiScale) {
  if (!font) return nullptr;
  auto info = std::make_unique<TUIFontInfo>();
  info->hFont = std::move(font);
  info->sFontName = face;
  info->iSize = size;
  info->bBold = bold;
  info->bUnderline = underline;
  info->bItalic = italic;
  info->iScale = dpiScale;
  info->tm = info->hFont->GetMetrics();
  return info;
}

}  // namespace SkinUI
