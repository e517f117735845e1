#include "skinui/core/render_host.h"

namespace SkinUI {

std::unique_ptr<TUIFontInfo> CreateFontInfo(std::u16string_view face, int size, bool bold,
                                            bool underline, bool italic, int dpiScale) {
  auto info = std::make_unique<TUIFontInfo>();
  info->hFont = platform::CreateTextFont(
      {std::u16string(face), ScaleByDpi(size, dpiScale), bold, italic, underline});
  if (!info->hFont) return nullptr;
  info->sFontName = face;
  info->iSize = size;
  info->bBold = bold;
  info->bUnderline = underline;
  info->bItalic = italic;
  info->tm = info->hFont->GetMetrics();
  return info;
}

}  // namespace SkinUI
