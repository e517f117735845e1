// Text rendering of the platform: fonts chosen by face name and pixel height,
// measuring and drawing UTF-16 runs into 32-bit premultiplied BGRA pixels.
// Shaped after GDI (CreateFont, GetTextMetrics, GetTextExtentExPoint, TextOut
// into a DIB); the POSIX backend uses FreeType and fontconfig.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct TTextFontSpec {
  std::u16string face;  // e.g. u"微软雅黑"; an unknown face falls back to a CJK-capable one
  int height = 12;      // character height (em size) in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

struct TTextMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int externalLeading = 0;  // extra space the font suggests between lines
  int aveCharWidth = 0;
};

// Where a run is drawn: premultiplied BGRA pixels (one uint32_t per pixel,
// top-down) and the clip rectangle in those pixels (half-open).
struct TTextTarget {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels per row
  int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

class ITextFont {
 public:
  virtual ~ITextFont() = default;
  virtual const TTextMetrics& GetMetrics() const = 0;
  // The advance width in pixels of text.
  virtual int MeasureRun(std::u16string_view text) const = 0;
  // Cumulative advance after each character of text (extents[i] is the width
  // of text[0..i]); the last value equals MeasureRun(text).
  virtual void MeasureExtents(std::u16string_view text, std::vector<int>* extents) const = 0;
  // Draws text with its cell's top-left corner at (x, y) in colour rgb
  // (0x00RRGGBB), blending anti-aliased glyphs over the target inside its clip.
  // Underlined fonts draw the underline too.
  virtual void DrawRun(const TTextTarget& target, int x, int y, std::u16string_view text,
                       uint32_t rgb) const = 0;
};

// Creates a font. Never fails while any font is installed; null otherwise.
std::shared_ptr<ITextFont> CreateTextFont(const TTextFontSpec& font);

}  // namespace platform
