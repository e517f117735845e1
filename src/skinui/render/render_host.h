// What the rendering rules take from the window that draws: fonts, cached
// images, colours, the DPI scale and the mouse. The paint manager implements
// it. Image and font pointers it hands out stay valid while the host lives
// (a drawing call may register new font variants in between).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/text/text_renderer.h"
#include "skinui/render/image_info.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

struct TUIFontInfo {
  std::shared_ptr<platform::ITextFont> hFont;
  std::u16string sFontName;
  int iSize = 0;     // 96-DPI units
  int iScale = 100;  // the DPI scale (percent) hFont was made at
  bool bBold = false;
  bool bUnderline = false;
  bool bItalic = false;
  platform::TTextMetrics tm;
};

class IUIRenderHost {
 public:
  virtual ~IUIRenderHost() = default;
  // DPI scale in percent (100 = 96 DPI).
  virtual int GetDPIScale() const = 0;
  // The cached image, loaded with mask on first use; null when it cannot be had.
  virtual const TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view type,
                                         uint32_t mask) = 0;
  // The font with id index; the default font for a negative or unknown index.
  virtual const TUIFontInfo* GetFontInfo(int index) = 0;
  // The id of a font with exactly these properties, -1 when there is none.
  virtual int FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) = 0;
  // Creates and registers a font under the next free id; -1 on failure.
  virtual int AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) = 0;
  virtual uint32_t GetLinkColor() const = 0;
  virtual uint32_t GetLinkHoverColor() const = 0;
  virtual uint32_t GetSelectedBkColor() const = 0;
  // The mouse position in the window, for link hover.
  virtual TUIPoint GetMousePos() const = 0;
};

// S(v) = v x scale / 100, rounded half away from zero.
inline int ScaleByDpi(int value, int scale) {
  long long t = static_cast<long long>(value) * scale;
  return static_cast<int>(t >= 0 ? (t + 50) / 100 : -((-t + 50) / 100));
}

}  // namespace SkinUI
