// Pixel helpers of the rendering tests: PNG files, golden images and a render
// host over a folder of skin files.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "skinui/render/render_engine.h"
#include "skinui/resources/skin_resources.h"
#include "support/temp_dir.h"

namespace skinui_test {

// PNG bytes of a width x height image whose pixels (ARGB, not premultiplied)
// come from pixel(x, y).
std::string MakePng(int width, int height, const std::function<uint32_t(int, int)>& pixel);
// Writes the surface's bytes as an RGBA PNG (premultiplied values as they are).
bool WriteSurfacePng(const SkinUI::CUISurface& surface, const std::string& path);
// Compares with tests/data/skinui/<name>.png: every channel within tolerance,
// and at most maxOff pixels beyond it. ORV_UPDATE_GOLDEN=1 rewrites the golden.
::testing::AssertionResult MatchesGolden(const SkinUI::CUISurface& surface, const std::string& name,
                                         int tolerance, int maxOff);
// The golden name of an image with drawn text. FreeType and GDI place and
// anti-alias glyphs differently, so each text backend keeps its own: the
// FreeType ones directly under tests/data/skinui/, the GDI ones under win32/.
std::string TextGolden(const std::string& name);

// A render host over skin files in a temporary folder.
class CTestHost : public SkinUI::IUIRenderHost {
 public:
  CTestHost();
  TempDir& Dir() { return m_dir; }
  void SetScale(int scale) { m_scale = scale; }
  // Registers font id with these properties (id -1 sets the default font).
  void AddFontWithId(int id, const std::u16string& face, int size, bool bold = false, bool underline = false,
                     bool italic = false);
  void SetMouse(SkinUI::TUIPoint p) { m_mouse = p; }
  int LoadCount() const { return m_loads; }

  int GetDPIScale() const override { return m_scale; }
  const SkinUI::TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view type,
                                         uint32_t mask) override;
  const SkinUI::TUIFontInfo* GetFontInfo(int index) override;
  int FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override;
  int AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override;
  uint32_t GetLinkColor() const override { return 0xFF0000FF; }
  uint32_t GetLinkHoverColor() const override { return 0xFFD3215F; }
  uint32_t GetSelectedBkColor() const override { return 0xFFBAE4FF; }
  SkinUI::TUIPoint GetMousePos() const override { return m_mouse; }

 private:
  TempDir m_dir;
  SkinUI::CSkinResources m_resources;
  int m_scale = 100;
  int m_loads = 0;
  SkinUI::TUIPoint m_mouse{-1, -1};
  std::map<std::u16string, std::unique_ptr<SkinUI::TUIImageInfo>> m_images;
  std::map<int, std::unique_ptr<SkinUI::TUIFontInfo>> m_fonts;
  std::unique_ptr<SkinUI::TUIFontInfo> m_default;
};

}  // namespace skinui_test
