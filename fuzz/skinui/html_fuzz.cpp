// Lays out and draws arbitrary formatted text (labels show server-provided
// version text inside the html-like markup) on a small canvas.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "skinui/render/render_engine.h"
#include "skinui/resources/font_info.h"

namespace {

class CFuzzHost : public SkinUI::IUIRenderHost {
 public:
  CFuzzHost() {
    m_image.bitmap = SkinUI::CUISurface(8, 8);
    m_image.bitmap.Clear(0x80402010);
    m_image.nX = m_image.nY = 8;
    m_image.alphaChannel = true;
    (void)AddFont(u"微软雅黑", 12, false, false, false);
  }
  int GetDPIScale() const override { return 100; }
  const SkinUI::TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view, uint32_t) override {
    return name.empty() ? nullptr : &m_image;
  }
  const SkinUI::TUIFontInfo* GetFontInfo(int index) override {
    return index >= 0 && index < static_cast<int>(m_fonts.size()) ? m_fonts[index].get() : m_fonts[0].get();
  }
  int FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override {
    for (size_t i = 0; i < m_fonts.size(); ++i) {
      const auto& f = *m_fonts[i];
      if (f.sFontName == face && f.iSize == size && f.bBold == bold && f.bUnderline == underline &&
          f.bItalic == italic) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  int AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override {
    if (m_fonts.size() >= 12) return -1;  // bounds the faces one input can open
    auto info = SkinUI::CreateFontInfo(face, size, bold, underline, italic);
    if (!info) return -1;
    m_fonts.push_back(std::move(info));
    return static_cast<int>(m_fonts.size()) - 1;
  }
  uint32_t GetLinkColor() const override { return 0xFF0000FF; }
  uint32_t GetLinkHoverColor() const override { return 0xFFD3215F; }
  uint32_t GetSelectedBkColor() const override { return 0xFFBAE4FF; }
  SkinUI::TUIPoint GetMousePos() const override { return {5, 5}; }

 private:
  SkinUI::TUIImageInfo m_image;
  std::vector<std::unique_ptr<SkinUI::TUIFontInfo>> m_fonts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 4096) return 0;
  static CFuzzHost host;
  static const uint32_t kStyles[] = {0,
                                     SkinUI::DT_SINGLELINE,
                                     SkinUI::DT_WORDBREAK,
                                     SkinUI::DT_SINGLELINE | SkinUI::DT_END_ELLIPSIS | SkinUI::DT_CENTER,
                                     SkinUI::DT_WORDBREAK | SkinUI::DT_RIGHT | SkinUI::DT_BOTTOM,
                                     SkinUI::DT_VCENTER | SkinUI::DT_CALCRECT};
  uint32_t style = kStyles[data[0] % 6];
  std::u16string text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  SkinUI::CUISurface surface(120, 60);
  SkinUI::CUICanvas dc(surface);
  SkinUI::TUIRect rect{4, 4, 4 + data[0] % 100, 56};
  SkinUI::TUIRect links[4] = {{0, 0, 20, 20}};
  std::u16string targets[4];
  int count = 4;
  SkinUI::CUIRenderEngine::DrawHtmlText(dc, &host, rect, text, 0xFF333333, links, targets, &count, 0, style);
  SkinUI::TUIRect plain{0, 0, 120, 60};
  SkinUI::CUIRenderEngine::DrawText(dc, &host, plain, text, 0xFF000000, 0, style);
  return 0;
}

// fontconfig keeps its process-wide configuration until exit.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
