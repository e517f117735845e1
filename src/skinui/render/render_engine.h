// The drawing rules every control uses: colour fills and gradients, lines and
// frames, images with the descriptor language and nine-grid scaling, plain and
// formatted text. Stateless; everything goes to a CUICanvas.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "skinui/render/image_info.h"
#include "skinui/render/render_host.h"
#include "skinui/render/ui_surface.h"

namespace SkinUI {

class CSkinResources;

// Pen styles of DrawLine.
enum EPenStyle { kPenSolid = 0, kPenDash = 1, kPenDot = 2, kPenDashDot = 3, kPenDashDotDot = 4 };

// Text style bits of DrawText and DrawHtmlText.
enum : uint32_t {
  DT_LEFT = 0x0,
  DT_CENTER = 0x1,
  DT_RIGHT = 0x2,
  DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800,
  DT_END_ELLIPSIS = 0x8000,
};

// How one image is placed (the descriptor's settings).
struct TDrawImageParams {
  TUIRect dest;
  TUIRect source;   // all zero: the whole image
  TUIRect corners;  // nine-grid corner widths left, top, right, bottom
  uint8_t fade = 255;
  bool hole = false;
  bool xtiled = false;
  bool ytiled = false;
};

class CUIRenderEngine {
 public:
  // Fills rect; alpha 0 draws nothing, 0xFF fills, anything between blends.
  static void DrawColor(CUICanvas& dc, const TUIRect& rect, uint32_t color);
  // Linear gradient from color1 to color2 (top to bottom when vertical, else
  // left to right), blended at the mean of the two alphas. Without the
  // platform gradient fill it is drawn in 2^n bands chosen from steps.
  static void DrawGradient(CUICanvas& dc, const TUIRect& rect, uint32_t color1, uint32_t color2,
                           bool vertical, int steps);
  // A line from (left, top) to (right, bottom), end point excluded, with a
  // square pen of width pixels in the colour's RGB.
  static void DrawLine(CUICanvas& dc, const TUIRect& rect, int width, uint32_t color, int style = kPenSolid);
  // An outline of width pixels inside rect, no fill.
  static void DrawRect(CUICanvas& dc, const TUIRect& rect, int width, uint32_t color);
  // The same outline with corners rounded by an ellipse of the given size.
  static void DrawRoundRect(CUICanvas& dc, const TUIRect& rect, int width, int ellipseWidth,
                            int ellipseHeight, uint32_t color);

  // Draws the images named by descriptor then modifier over item (only what
  // meets paint). False only without host; missing images are not failures.
  static bool DrawImageString(CUICanvas& dc, IUIRenderHost* host, const TUIRect& item, const TUIRect& paint,
                              std::u16string_view descriptor, std::u16string_view modifier = {});
  // Draws image (nine-grid) by params, only the cells that meet paint.
  // alphaChannel selects the blended path (as does a fade below 255).
  static void DrawImage(CUICanvas& dc, const CUISurface& image, const TUIRect& paint,
                        const TDrawImageParams& params, bool alphaChannel);
  // Decodes the image name (module resource of type when type is given, else
  // the skin file, else the name as a file path) into premultiplied pixels;
  // pixels equal to mask become transparent. Null when it cannot be had.
  static std::unique_ptr<TUIImageInfo> LoadImage(std::u16string_view name, std::u16string_view type,
                                                 uint32_t mask, CSkinResources* resources = nullptr);
  // Decodes image bytes (any format the decoder reads) the same way.
  static std::unique_ptr<TUIImageInfo> DecodeImage(const uint8_t* bytes, size_t size, uint32_t mask);

  // Plain text in the colour's RGB with the font of fontIndex and the style
  // bits (DT_*). With DT_CALCRECT rect receives the extent and nothing is drawn.
  static void DrawText(CUICanvas& dc, IUIRenderHost* host, TUIRect& rect, std::u16string_view text,
                       uint32_t color, int fontIndex, uint32_t style);
  // Formatted text with the tags of the html-like markup. links/linkTexts hold
  // *linkCount slots on entry (the link rectangles from the previous drawing
  // decide hover) and *linkCount receives the number of links found.
  static void DrawHtmlText(CUICanvas& dc, IUIRenderHost* host, TUIRect& rect, std::u16string_view text,
                           uint32_t color, TUIRect* links, std::u16string* linkTexts, int* linkCount,
                           int fontIndex, uint32_t style);

  // Shifts hue by (hue - 180) degrees and scales saturation and lightness by
  // saturation / 100 and lightness / 100; alpha is kept. (180, 100, 100) keeps
  // the colour unchanged.
  static uint32_t AdjustColor(uint32_t color, short hue, short saturation, short lightness);
  // The process-wide adjustment that controls with "colorhsl" apply, (180,
  // 100, 100) until set; the setter takes values already in range. Used on
  // the user-interface thread.
  static void SetAdjustHSL(short hue, short saturation, short lightness);
  static void GetAdjustHSL(short* hue, short* saturation, short* lightness);
};

// Parses "l,t,r,b" (blanks allowed, missing numbers are 0).
TUIRect ParseRectValue(std::u16string_view text);
// Parses a hexadecimal colour with an optional '#'.
uint32_t ParseColorValue(std::u16string_view text);

}  // namespace SkinUI
