#include "skinui/resources/shared_resources.h"

#include "skinui/resources/font_info.h"
#include "skinui/resources/ui_resources.h"

namespace SkinUI {

TUISharedResources& SharedResources() {
  // Never destroyed: fonts may be asked for while other static objects end.
  static TUISharedResources* shared = new TUISharedResources;
  return *shared;
}

std::unique_ptr<TUIFontInfo> MakeSharedFontInfo(std::u16string_view face, int size, bool bold, bool underline,
                                                bool italic, int dpiScale) {
  face = face.substr(0, kMaxFaceName);
  const int height = ScaleByDpi(size, dpiScale);
  auto key = std::make_tuple(std::u16string(face), height, bold, underline, italic);
  TUISharedResources& shared = SharedResources();
  std::shared_ptr<platform::ITextFont> font;
  {
    std::lock_guard<std::mutex> guard(shared.textFontLock);
    std::weak_ptr<platform::ITextFont>& slot = shared.textFonts[key];
    font = slot.lock();
    if (!font) {
      font = platform::CreateTextFont({std::u16string(face), height, bold, italic, underline});
      if (!font) return nullptr;
      slot = font;
    }
  }
  return MakeFontInfo(std::move(font), face, size, bold, underline, italic, dpiScale);
}

void CUIResources::RemoveAllShared() {
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  shared.fonts.clear();
  shared.defaultFont.reset();
  shared.styles.clear();
  shared.defaultAttributes.clear();
}

}  // namespace SkinUI
