// Draws arbitrary image descriptors ("file='a.png' source='..' corner='..'
// fade='..' mask='..' hole='..' xtiled='..'", or a bare name) and modifiers
// over a small canvas with an 8x8 image standing in for every name, the way
// skin attributes such as bkimage and normalimage are drawn. Input: the
// descriptor, a zero byte, the modifier (UTF-8); the first byte sizes the item.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "skinui/render/render_engine.h"

namespace {

class CImageHost : public SkinUI::IUIRenderHost {
 public:
  CImageHost() {
    m_image.bitmap = SkinUI::CUISurface(8, 8);
    m_image.bitmap.Clear(0x80402010);
    m_image.nX = m_image.nY = 8;
    m_image.alphaChannel = true;
  }
  int GetDPIScale() const override { return m_scale; }
  const SkinUI::TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view, uint32_t) override {
    return name.empty() ? nullptr : &m_image;
  }
  const SkinUI::TUIFontInfo* GetFontInfo(int) override { return nullptr; }
  int FindFont(std::u16string_view, int, bool, bool, bool) override { return -1; }
  int AddFont(std::u16string_view, int, bool, bool, bool) override { return -1; }
  uint32_t GetLinkColor() const override { return 0; }
  uint32_t GetLinkHoverColor() const override { return 0; }
  uint32_t GetSelectedBkColor() const override { return 0; }
  SkinUI::TUIPoint GetMousePos() const override { return {0, 0}; }

  int m_scale = 100;

 private:
  SkinUI::TUIImageInfo m_image;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  static CImageHost host;
  host.m_scale = data[0] % 2 == 0 ? 100 : 150;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t cut = rest.find('\0');
  const std::u16string descriptor = Utf8ToUtf16(rest.substr(0, cut));
  const std::u16string modifier =
      cut == std::string_view::npos ? std::u16string() : Utf8ToUtf16(rest.substr(cut + 1));
  SkinUI::CUISurface surface(48, 32);
  SkinUI::CUICanvas dc(surface);
  const SkinUI::TUIRect item{2, 2, 2 + data[0] % 46, 30};
  const SkinUI::TUIRect paint{0, 0, 48, 32};
  (void)SkinUI::CUIRenderEngine::DrawImageString(dc, &host, item, paint, descriptor, modifier);
  return 0;
}
